#!/usr/bin/python3
"""Keys typed ahead of the program, in a browser engine (ahead.py chromium|firefox|webkit): keys
sent with no pause and with 50 ms between them, as a quick typist sends them, each series 20
times, must do what they do on the desktop every time, where the program reads each key only
once the one before is done. A row of the table is one series; the count of tries that went
wrong is printed for each pause."""
import sys

from browser import engine_argument
from check import Failure, run_table
from drive import act, follows, opened

TRIES = 20
PAUSES = (0, 0.05)  # seconds between keys
GIVE_UP = 3  # failed tries after which a series stops, each having waited for its result

# (what, the keys of try N, what must follow, whether the program ends and the page is loaded
# again). Each try's keys and result differ from the last try's, so a result is never the one
# before left standing; the message box's row comes after a new start, as a run-time error leaves
# "Risultato" as it was. Keys and checks as in drive.py's table.
ROWS = [
    ("F10 Right Return: Chiudi ends the program", lambda n: "F10 Right Return",
     lambda n: ["ended"], True),
    ("a key while a message box opens goes to the box",
     lambda n: f"ctrl+a type:abc Return Return type:{n}", lambda n: ["closed", f"boxes abc{n}|"],
     False),
    ("Ctrl+A and a number right after Return",
     lambda n: f"ctrl+a type:{n} Return ctrl+a type:{n + 1} Return",
     lambda n: [f"boxes {n + 1}|{n + 1:b}"], False),
]


def series(browser, row):
    _, keys, expected, ends = row
    wrong = []
    for pause in PAUSES:
        failures = []
        for n in range(2, 2 + TRIES):
            again = ends
            try:
                act(browser, keys(n), pause=pause)
                for check in expected(n):
                    follows(browser, check)
            except Failure as failure:
                failures.append(str(failure))
                again = True  # the next try starts from the program as it starts
            if again:
                browser.open()
            if len(failures) == GIVE_UP:
                break
        tried = n - 1
        print(f"  {tried - len(failures)} of {tried} with {pause * 1000:.0f} ms between keys",
              flush=True)
        if failures:
            wrong.append(f"{len(failures)} of {tried} wrong with {pause * 1000:.0f} ms between keys,"
                         f" the first: {failures[0]}")
    if wrong:
        raise Failure("; ".join(wrong))


def main():
    with opened(engine_argument(sys.argv)) as browser:
        run_table(ROWS, lambda row: series(browser, row), keep_going=True)


if __name__ == "__main__":
    main()

"""What Orca (the orca fixture) speaks, as its debug log ($ORCA_LOG) tells it: the screen-reader
checks' ears. A step waits until Orca has said its utterances, in order; others may come between,
but no announcement that the step does not list."""
import os, re, shutil, sys
from pathlib import Path
from check import fail, poll
from desktop import press
from fixture import italian_locale

LOG = Path(os.environ["ORCA_LOG"])


def need_italian():
    """Exits as skipped (77) where Orca cannot speak Italian."""
    if not italian_locale():
        print("skipped: Orca speaks Italian only with the it_IT.UTF-8 locale, which only root can add")
        sys.exit(77)


def spoken():
    """What Orca spoke, an utterance an item: the log's text less its voice and final full stop."""
    lines = LOG.read_text(errors="replace").split("\n") if LOG.exists() else []
    return [re.sub(r"' *\{.*$", "", line.rsplit("SPEECH OUTPUT: '", 1)[-1]).rstrip().removesuffix(".")
            for line in lines if "SPEECH OUTPUT" in line]


def said_in_order(wanted, since):
    rest = iter(spoken()[since:])
    return all(utterance in rest for utterance in wanted)


def hear(wanted, since, seconds, announced):
    """Waits SECONDS for the utterances WANTED, in order, after the first SINCE; fails naming them,
    or naming what ANNOUNCED (a pattern of the program's announcements) matches that was said
    then or within 0.3 s but is not wanted: an announcement is news of its step, never late or
    left over."""
    if not poll(seconds, lambda: said_in_order(wanted, since)):
        fail(f"Orca did not say, in order: {';'.join(wanted)}")
    stray = poll(0.3, lambda: [u for u in spoken()[since:] if announced.fullmatch(u) and u not in wanted])
    if stray:
        fail(f"Orca also said: {'; '.join(stray)}")


def keys_then_hear(keys, wanted, special, announced):
    """A screen reader check's step: KEYS pressed (desktop.press, with the table's SPECIAL words;
    "start" waits for Orca) and then hear(WANTED) since they were."""
    before = 0 if keys == "start" else len(spoken())  # Orca may have spoken before the check
    press(keys, lambda word: word == "start" or special(word), 20)
    # Orca itself may take long to start on a busy machine, and a browser to load the page.
    hear(wanted, before, 60 if keys in ("start", "open") else 15, announced)


def spoken_then(name):
    """A run_table report: what Orca spoke, and its debug log kept in the build as NAME."""
    def report(row, failure):
        if not LOG.exists():
            return f"--- Orca wrote no debug log ({LOG}): did it start?"
        kept = shutil.copy(LOG, Path(os.environ["CONVERSIONE_BUILD"]) / name)
        return "\n".join(["--- what Orca spoke:", *spoken(), f"--- Orca's debug log: {kept}"])
    return report

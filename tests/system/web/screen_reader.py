#!/usr/bin/python3
"""The site in Firefox under Orca (the orca fixture), driven as a blind user drives it: keys typed
on the display, where Orca hears them, and each step waiting until Orca's debug log has the
step's utterances, in order (orcalog.hear), as the desktop's check does (../linux/screen_reader.py).
Usage: screen_reader.py firefox"""
import re, sys, time
import facts
from browser import ENDED, browser
from check import run_table, wait
from desktop import out
from orcalog import keys_then_hear, need_italian, spoken_then

EMPTIED = "Input e Risultato vuoti, cursore in Input"
# Keys (xdotool names, as desktop.press takes them; "start" waits for Orca, "open" opens the page,
# "sticky" is Orca+A twice, "ended" waits until the page says that the program has ended), and
# what Orca says, each utterance whole less a final full stop, as the desktop program has it said.
# Firefox keeps the browser's focus on one field of the page, which the program gives the focused
# control's role and name: "campo inserimento" is Orca's word for a text field, "button" Firefox's
# English role name. A message box's OK carries the box's text; the result, the option chosen with
# the arrow keys, the boxes emptied and the menu item highlighted come from the program's live
# region; once the program has ended, the focus is on the page's button that starts it again.
# Orca+A twice makes focus mode sticky, as for any web application: every key goes to the page,
# none to Orca's browse-mode commands, a message box's included.
STEPS = [
    ("start", "Lettore schermo attivo"),
    ("open", f"Caricamento di {facts.TITLE} completato;Input campo inserimento"),
    ("sticky", "Modalità focus adesiva"),
    ("type:1000 Return", "Risultato 1 1 1 1 1 0 1 0 0 0"),
    ("Tab", "Risultato campo inserimento 1111101000"),
    ("Tab", "Converti button"),
    ("Tab", "Binario selezionato pulsante radio"),
    ("Tab", "Input campo inserimento 1000 selezionato"),
    ("shift+Tab", "Binario selezionato pulsante radio"),
    ("Down", "Input campo inserimento 1000;Decimale"),
    ("ctrl+a type:12 Return", f"OK button;{facts.MESSAGES['refusal']}"),
    ("Return", "Input campo inserimento"),
    ("shift+Tab", "Decimale selezionato pulsante radio"),
    ("Up", "Input campo inserimento;Binario"),
    ("type:abc Return", f"OK button;{' '.join(facts.MESSAGES['error13'].split())}"),
    ("Return", "Input campo inserimento abc"),
    ("F10", "Nuovo"),
    ("Return", f"Input campo inserimento;{EMPTIED}"),
    ("Tab", "Risultato campo inserimento"),
    ("F10", "Nuovo"),
    ("Right", "Chiudi"),
    ("Return ended", "Avvia di nuovo button;Il programma è terminato"),
]
ANNOUNCED = re.compile(rf"Risultato [0-9 ]+|Binario|Decimale|{EMPTIED}")

need_italian()
if sys.argv[1:] != ["firefox"]:
    sys.exit("usage: screen_reader.py firefox (Orca reads Firefox's tree from AT-SPI)")


def step(b, row):
    def special(word):
        if word == "open":
            b.open()
        elif word == "sticky":  # in one call: twice within Orca's time for a double press
            out("xdotool", "key", "--clearmodifiers", "Insert+a", "Insert+a", check=True)
        elif word == "ended":
            wait(10, lambda: b.js(ENDED), "the page to say that the program has ended")
        return word in ("open", "sticky", "ended")

    keys_then_hear(row[0], row[1].split(";"), special, ANNOUNCED)


began = time.monotonic()
with browser("firefox") as b:
    orca_report = spoken_then("web-screen-reader-orca.debug")
    run_table(STEPS, lambda row: step(b, row),
              report=lambda row, failure: f"{orca_report(row, failure)}\n--- the console:\n{b.console()}")
print(f"screen reader in Firefox: {len(STEPS)} steps spoken as expected in {time.monotonic() - began:.0f} s")

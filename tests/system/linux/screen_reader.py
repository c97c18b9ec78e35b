#!/usr/bin/python3
"""The program under Orca (the orca fixture), driven as a blind user drives it: each step sends
keys and waits until Orca's debug log ($ORCA_LOG) has the step's utterances, in order. Others may
come between, but no announcement of the window's that the step does not list: an announcement is
news of its step, never late or left over. Usage: screen_reader.py PROGRAM"""
import os, re, sys, time
from pathlib import Path
import facts
from check import run_table, wait
from desktop import Drive, out
from fixture import NOT_UNDER_ORCA
from orcalog import LOG, keys_then_hear, need_italian, spoken_then

NOT_BINARY = f"allerta {facts.TITLE};{facts.MESSAGES['refusal']};OK "
# Orca reads the first line of a run-time error's text with the alert; the rest is announced apart.
ERROR_13 = f"allerta {facts.TITLE};{facts.MESSAGES['error13'].splitlines()[0]};OK "
EMPTIED = "Input e Risultato vuoti, cursore in Input"
GROUP, GROUP_43 = "Tipo conversione pannello;Tipo conversione;{} selezionato pulsante radio", \
    "Tipo conversione pannello;Tipo conversione;{};selezionato pulsante radio"
# Keys (xdotool names; "type:TEXT" types TEXT, "alt" taps Alt alone, "start" waits for Orca,
# "launch" starts the program); the utterances, each whole as Orca's debug log gives it less a
# final full stop; those of the Orca releases that say otherwise (43 tells announcements as a
# notification, 48 takes Qt's English role name for a push button, 51 says no "cornice").
STEPS = [
    ("start", "Lettore schermo attivo", {}),
    ("launch", "Conversione cornice;Input testo", {51: "Conversione;Input testo"}),
    ("Tab", "Risultato sola lettura testo", {}),
    ("Tab", "Converti pulsante", {48: "Converti button"}),
    ("Tab", GROUP.format("Binario"), {43: GROUP_43.format("Binario")}),
    ("Tab", "Input testo", {}),
    ("type:1000 Return", "Risultato 1 1 1 1 1 0 1 0 0 0", {43: "notifica;Risultato 1 1 1 1 1 0 1 0 0 0"}),
    ("Tab", "Risultato sola lettura testo;1111101000 selezionato", {}),
    ("shift+Tab", "Input testo;1000 selezionato", {}),
    ("Tab Tab Tab", GROUP.format("Binario"), {43: GROUP_43.format("Binario")}),
    ("Down", "Input testo;1000;Decimale", {43: "Input testo;1000;notifica;Decimale"}),
    ("ctrl+a type:101 Return", "Risultato 5", {43: "notifica;Risultato 5"}),
    ("ctrl+a type:12 Return", NOT_BINARY + "pulsante", {48: NOT_BINARY + "button"}),
    ("Return", "Conversione cornice;Input testo", {51: "Conversione;Input testo"}),
    ("Tab Tab Tab", GROUP.format("Decimale"), {43: GROUP_43.format("Decimale")}),
    ("Up", "Input testo;Binario", {43: "Input testo;notifica;Binario"}),
    ("type:abc Return", ERROR_13 + "pulsante", {48: ERROR_13 + "button"}),
    ("Return", "Conversione cornice;Input testo;abc", {51: "Conversione;Input testo;abc"}),
    ("alt", "Nuovo", {}),
    ("Return", EMPTIED, {43: f"notifica;{EMPTIED}"}),
    ("F10", "Nuovo", {}),
    ("Right", "Chiudi", {}),
    ("Escape", "Input testo", {}),
]
# What only the window's announcements say (a run-time error's text goes on on a line of its own).
ANNOUNCED = re.compile(rf"notifica|Risultato [0-9 ]+|Binario|Decimale|{EMPTIED}")


need_italian()
release = int(out("dpkg-query", "-W", "-f=${Version}", "orca").split(".")[0])
env = {k: v for k, v in os.environ.items() if k not in NOT_UNDER_ORCA} | {"QT_QPA_PLATFORM": "xcb"}
drive = Drive([sys.argv[1]], LOG.parent / "program.log", env)


def step(row):
    keys, utterances, releases = row
    keys_then_hear(keys, releases.get(release, utterances).split(";"), drive.special, ANNOUNCED)


def speech_dispatcher(row):
    said = Path(os.environ["SPOKEN"])
    wait(10, lambda: said.exists() and said.stat().st_size, "speech-dispatcher to speak")


began = time.monotonic()
drive.run(STEPS, spoken_then("screen-reader-orca.debug"), step)
run_table([("the same speech went on to speech-dispatcher's text module",)], speech_dispatcher)
print(f"screen reader: {len(STEPS)} steps spoken as expected in {time.monotonic() - began:.0f} s")

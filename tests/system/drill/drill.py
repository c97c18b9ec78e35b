#!/usr/bin/python3
"""A fault drill for the system, package and web checks: each row plants one fault a user would
notice into a copy of the tree and runs the one check that claims to see it; the check must end
non-zero with a message that names the fault (the row's pattern).

    drill.py [--list] [PRESET|CHECK...]

With no names, the rows of the presets this system runs: release on Debian 12, windows and web
on Debian 13 (a Debian 13 root on Debian 12). As root, from the top of the tree:

    /usr/bin/python3 tests/system/drill/drill.py            # the release rows, on Debian 12
    bash scripts/release-root.sh trixie /usr/bin/python3 tests/system/drill/drill.py windows web

A row copies the tracked files into build/drill-PRESET (its build/ kept between rows and runs, so
builds are incremental), applies the row's patch from this folder there with patch -p1 (its own
CHECK.patch, one that the web checks' browser engines share, or one a row names for a check's
second fault), runs `bash scripts/test.sh PRESET -R '^CHECK$'` in the copy (with the check's
fixtures; builds at most -j2) and takes the patch out again. Each run's output is kept in
build/drill-PRESET/build/drill/CHECK-PATCH.log. Prints a line per row and a Markdown table;
exits 1 if a row was not caught or its patch did not apply.
--list prints the rows and runs nothing."""
import os, platform, re, subprocess, sys
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
TREE = HERE.parents[2]
sys.path.insert(0, str(HERE.parent / "common"))
from secondtree import copy_tree

ENGINES = ("chromium", "firefox", "webkit")  # the web checks run in each
LEAK = "the tree's path compiled into the program: two builds in two folders differ"
# Check, preset, the fault in a user's words (planted by CHECK.patch, or by the patch a web check
# shares between browser engines), what the check's output must say, and for a check's second
# fault the name of its patch.
ROWS = [
    ("real_window", "release", "Risultato shows one digit more than the conversion gives",
     r"the box reads '11111010000', not '1111101000'"),
    ("platforms", "release",
     "without a display, the message no longer says which variables are unset",
     r"FAIL: neither variable set: no message /\^conversione: no display found \\\(DISPLAY"),
    ("screen_reader", "release", "the input box has lost its accessible name \"Input\"",
     r"Orca did not say, in order: [^\n]*;Input testo"),
    ("package_icons", "release",
     "the icon's colour changed in the SVG, the PNGs not rendered again",
     r"render-icons: \S+/16\.png does not match \S+/conversione\.svg"),
    ("package_deb_build", "release",
     "an install rule names a man page that is never made: no package",
     r'file INSTALL cannot find\s+"[^"]*/conversione\.1\.xz"'),
    ("package_deb_reproducible", "release", LEAK,
     r"DIFFERS: build/deb/conversione_[^:]*\.deb: \d+ and \d+ bytes"),
    ("package_deb_lint", "release", "the man page left out of the package",
     r"lintian reported:\n(?:.*\n)*?.*no-manual-page"),
    ("package_deb_install", "release", "closed from its title bar, the program ends with status 3",
     r"closed through the window system, the program ended with status 3"),
    ("desktop_entry_valid", "release",
     "Keywords misspelt in the desktop entry: menus find it by none of them",
     r'file contains key "Keyword" in group "Desktop Entry"'),
    ("metainfo_valid", "release",
     "the release date in the metainfo is no date software centres read",
     r"invalid-iso8601-date 07/12/2026"),
    ("windows_exe", "windows",
     "the manifest without per-monitor DPI awareness: blurred on a second screen",
     r"FAIL per-monitor v2 DPI awareness: \[\], wanted \['PerMonitorV2'\]"),
    ("windows_drive", "windows", "Risultato shows one digit more than the conversion gives",
     r"the box reads '11111010000', not '1111101000'"),
    ("windows_files", "windows", "the program opens C:\\conversione.ini, outside its folder",
     r"files opened outside Windows' folders[^\n]*\n(?:.*\n)*?c:\\conversione\.ini"),
    ("windows_uia", "windows", "the result box has no name in UI Automation",
     r'the tree is not uia-tree\.txt:\n(?:.*\n)*? *Edit "" id=\S*\.Text2'),
    ("windows_look_windows11-dark_100", "windows",
     "Windows' dark mode ignored: the window stays light",
     r"windows11-dark-100\.png is [0-9.]+ bright, not windows11-dark"),
    ("windows_packages", "windows",
     "an install rule names a file that is never made: no zip, no installer",
     r'file INSTALL cannot find\s+"[^"]*/LEGGIMI\.md"'),
    ("windows_installer", "windows", "the uninstaller leaves the Start-menu shortcut behind",
     r"nothing left: the prefix changed: new \[[^]]*Conversione\.lnk'"),
    ("windows_reproducible", "windows", LEAK,
     r"DIFFERS: build/windows/conversione\.exe: .* holds the path of the tree it was built in"),
    *((f"web_page_{engine}", "web",
       "the page says it is English (lang=\"en\"): read out with an English voice",
       r"lang: 'en', not 'it'") for engine in ENGINES),
    *((f"web_drive_{engine}", "web",
       "the option group is no radio group \"Tipo conversione\" for screen readers",
       r"no radiogroup 'Tipo conversione'") for engine in ENGINES),
    *((f"web_drive_{engine}", "web",
       "a message box shown again leaves the focus outside it: a screen reader hears nothing of it",
       r"the box shown again: the focus on its OK: expected 'focus OK'", "web_drive_focus")
      for engine in ENGINES),
    *((f"web_ahead_{engine}", "web",
       "F10 Right Enter typed ahead: the Enter reaches the box before the menu bar is open",
       r"F10 Right Return: Chiudi ends the program: \d+ of \d+ wrong with 0 ms between keys")
      for engine in ENGINES),
    ("web_phone_chromium", "web",
     "a phone taken for a desktop: turned to landscape the window keeps its desktop size",
     r"turned to landscape, the window whole: expected 'fills', .*\(scale 1\.00\)"),
    ("web_screen_reader_firefox", "web",
     "a screen reader hears every option as not selected, the chosen one too",
     r"Orca did not say, in order: Binario selezionato pulsante radio"),
    ("web_reproducible", "web", LEAK,
     r"DIFFERS: build/web/site/conversione\.wasm: .* holds the path of the tree it was built in"),
]
PRESETS = {"12": ["release"], "13": ["windows", "web"]}


def patch_of(row):
    """CHECK.patch, or the row's own; a web check's engines share one (web_page_firefox:
    web_page.patch)."""
    name = row[4] if len(row) > 4 else re.sub(f"_({'|'.join(ENGINES)})$", "", row[0])
    return HERE / f"{name}.patch"


def patched(row):
    """The files the row's patch changes."""
    return re.findall(r"^\+\+\+ b/(\S+)", patch_of(row).read_text(), re.M)


def patch(copy, row, *args):
    """Applies the row's patch in COPY (-R: takes it out) if it applies whole, else says why."""
    argv = ["patch", "-p1", "--force", "--no-backup-if-mismatch", "--reject-file=-",
            "-d", str(copy), "-i", str(patch_of(row)), *args]
    for dry in (["--dry-run"], []):
        done = subprocess.run(argv + dry, capture_output=True, text=True)
        if done.returncode:
            return done.stdout + done.stderr


def drill(row):
    """Runs one row: (caught, the line of the output that names the fault or why not)."""
    check, preset, _, pattern = row[:4]
    copy = copy_tree(TREE, TREE / "build" / f"drill-{preset}")
    logs = copy / "build" / "drill"
    logs.mkdir(parents=True, exist_ok=True)
    # copy_tree keeps the files' times: what the last row planted and took out is older than what
    # was built from it, and must be built again.
    last = logs / "last-planted.txt"
    for name in last.read_text().split() if last.exists() else []:
        if (copy / name).exists():
            os.utime(copy / name)
    last.write_text("\n".join(patched(row)))
    refused = patch(copy, row)
    if refused:
        return False, f"the patch did not apply: {refused.strip()}"
    print(f"drill: {check} ({preset}) ...", file=sys.stderr, flush=True)
    log_file = logs / f"{check}-{patch_of(row).stem}.log"
    with open(log_file, "w") as log:
        status = subprocess.run(["bash", "scripts/test.sh", preset, "-R", f"^{check}$"], cwd=copy,
                                env={"CMAKE_BUILD_PARALLEL_LEVEL": "2", **os.environ},
                                stdout=log, stderr=subprocess.STDOUT).returncode
    if patch(copy, row, "-R"):
        return False, "the patch did not come out again"
    output = log_file.read_text(errors="replace")
    found = re.search(pattern, output)
    if status and found:
        # The lines the match spans, its first and last when more.
        start = output.rfind("\n", 0, found.start()) + 1
        end = (output + "\n").find("\n", found.end())
        lines = [line.strip() for line in output[start:end].splitlines() if line.strip()]
        return True, " … ".join(lines[:1] + lines[1:][-1:])
    tail = "".join(f"\n    | {line}" for line in output.splitlines()[-25:])
    return False, f"status {status}, no line matches /{pattern}/ ({log_file}):{tail}"


names = [a for a in sys.argv[1:] if a != "--list"]
unknown = sorted(set(names) - {name for row in ROWS for name in row[:2]})
if unknown:
    sys.exit(f"drill: no row or preset {' '.join(unknown)}\n{__doc__}")
wanted = names or PRESETS.get(platform.freedesktop_os_release().get("VERSION_ID", ""), [])
rows = [row for row in ROWS if row[0] in wanted or row[1] in wanted]
how = lambda row: f"`{patch_of(row).name}` ({', '.join(patched(row))})"
if "--list" in sys.argv:
    for row in rows:
        print(f"{row[0]} [{row[1]}]: {row[2]}; planted by {how(row)}; must say /{row[3]}/")
    sys.exit(0)
results = []
for row in rows:
    caught, said = drill(row)
    results.append((row, caught, said))
    print(f"{row[0]}: {row[2]}: {'PASS' if caught else 'NOT CAUGHT'}: {said}", flush=True)
print("\n| check | fault | how planted | the failure message |\n|---|---|---|---|")
for row, caught, said in results:
    message = said.split("\n")[0][:200].replace("|", "\\|")
    verdict = "" if caught else "NOT CAUGHT: "
    print(f"| {row[0]} | {row[2]} | {how(row)} | {verdict}`{message}` |")
sys.exit(0 if results and all(caught for _, caught, _ in results) else 1)

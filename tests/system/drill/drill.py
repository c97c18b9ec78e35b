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
builds are incremental), applies CHECK.patch from this folder there with patch -p1 (or sets the
row's VAR=value), runs `bash scripts/test.sh PRESET -R '^CHECK$'` in the copy (with its fixtures,
builds at most -j2) and takes the patch out again. The output of each run is kept in
build/drill-PRESET/build/drill/CHECK.log. Prints a line per row and a Markdown table; exits 1 if
a row was not caught or its patch did not apply. --list prints the rows and runs nothing."""
import os, platform, re, subprocess, sys
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
TREE = HERE.parents[2]
sys.path.insert(0, str(HERE.parent / "common"))
from secondtree import copy_tree

LEAK = "the tree's path compiled into the program: two builds in two folders differ"
# Check, preset, the fault in a user's words, how it is planted ("patch": CHECK.patch, else
# VAR=value), and what the check's output must say.
ROWS = [
    ("real_window", "release", "Risultato shows one digit more than the conversion gives", "patch",
     r"the box reads '11111010000', not '1111101000'"),
    ("platforms", "release", "without a display, the message no longer says which variables are unset",
     "patch", r"FAIL: neither variable set: no message /\^conversione: no display found \\\(DISPLAY"),
    ("screen_reader", "release", "the input box has lost its accessible name \"Input\"", "patch",
     r"Orca did not say, in order: [^\n]*;Input testo"),
    ("package_icons", "release", "the icon's colour changed in the SVG, the PNGs not rendered again",
     "patch", r"render-icons: \S+/16\.png does not match \S+/conversione\.svg"),
    ("package_deb_build", "release", "an install rule names a man page that is never made: no package",
     "patch", r'file INSTALL cannot find\s+"[^"]*/conversione\.1\.xz"'),
    ("package_deb_reproducible", "release", LEAK, "patch",
     r"DIFFERS: build/deb/conversione_[^:]*\.deb: \d+ and \d+ bytes"),
    ("package_deb_lint", "release", "the man page left out of the package", "patch",
     r"lintian reported:\n(?:.*\n)*?.*no-manual-page"),
    ("package_deb_install", "release", "closed from its title bar, the program ends with status 3",
     "patch", r"closed through the window system, the program ended with status 3"),
    ("desktop_entry_valid", "release", "Keywords misspelt in the desktop entry: menus find it by none",
     "patch", r'file contains key "Keyword" in group "Desktop Entry"'),
    ("metainfo_valid", "release", "the release date in the metainfo is no date software centres read",
     "patch", r"invalid-iso8601-date 07/12/2026"),
    ("windows_exe", "windows", "the manifest without per-monitor DPI awareness: blurred on a second screen",
     "patch", r"FAIL per-monitor v2 DPI awareness: \[\], wanted \['PerMonitorV2'\]"),
    ("windows_drive", "windows", "Risultato shows one digit more than the conversion gives", "patch",
     r"the box reads '11111010000', not '1111101000'"),
    ("windows_files", "windows", "the program opens C:\\conversione.ini, outside its folder", "patch",
     r"files opened outside Windows' folders[^\n]*\n(?:.*\n)*?c:\\conversione\.ini"),
    ("windows_uia", "windows", "the result box has no name in UI Automation", "patch",
     r'the tree is not uia-tree\.txt:\n(?:.*\n)*? *Edit "" id=\S*\.Text2'),
    ("windows_look_windows11-dark_100", "windows", "Windows' dark mode ignored: the window stays light",
     "patch", r"windows11-dark-100\.png is [0-9.]+ bright, not windows11-dark"),
    ("windows_packages", "windows", "an install rule names a file that is never made: no zip, no installer",
     "patch", r'file INSTALL cannot find\s+"[^"]*/LEGGIMI\.md"'),
    ("windows_installer", "windows", "the uninstaller leaves the Start-menu shortcut behind", "patch",
     r"nothing left: the prefix changed: new \[[^]]*Conversione\.lnk'"),
    ("windows_reproducible", "windows", LEAK, "patch",
     r"DIFFERS: build/windows/conversione\.exe: .* holds the path of the tree it was built in"),
    ("web_page", "web", "the page says it is English (lang=\"en\"): read out with an English voice",
     "patch", r"lang: 'en', not 'it'"),
    ("web_drive", "web", "the option group no radio group \"Tipo conversione\" for screen readers",
     "patch", r"no radiogroup 'Tipo conversione'"),
    ("web_reproducible", "web", LEAK, "patch",
     r"DIFFERS: build/web/site/conversione\.wasm: .* holds the path of the tree it was built in"),
]
PRESETS = {"12": ["release"], "13": ["windows", "web"]}


def patched(check):
    """The files CHECK.patch changes."""
    return re.findall(r"^\+\+\+ b/(\S+)", (HERE / f"{check}.patch").read_text(), re.M)


def patch(copy, check, *args):
    """Applies CHECK.patch in COPY (with -R, takes it out) if it applies whole; its output if not."""
    argv = ["patch", "-p1", "--force", "--no-backup-if-mismatch", "--reject-file=-", "-d", str(copy),
            "-i", str(HERE / f"{check}.patch"), *args]
    for dry in (["--dry-run"], []):
        done = subprocess.run(argv + dry, capture_output=True, text=True)
        if done.returncode:
            return done.stdout + done.stderr
    return None


def drill(row):
    """Runs one row: (caught, the line of the output that names the fault or why not)."""
    check, preset, _, plant, pattern = row
    copy = copy_tree(TREE, TREE / "build" / f"drill-{preset}")
    logs = copy / "build" / "drill"
    logs.mkdir(parents=True, exist_ok=True)
    # copy_tree keeps the files' times: what the last row planted and took out is older than what
    # was built from it, and must be built again.
    last = logs / "last-planted.txt"
    for name in last.read_text().split() if last.exists() else []:
        if (copy / name).exists():
            os.utime(copy / name)
    env = dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL=os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2"))
    if plant == "patch":
        last.write_text("\n".join(patched(check)))
        refused = patch(copy, check)
        if refused:
            return False, f"the patch did not apply: {refused.strip()}"
    else:
        env.update([plant.split("=", 1)])
    print(f"drill: {check} ({preset}) ...", file=sys.stderr, flush=True)
    with open(logs / f"{check}.log", "w") as log:
        status = subprocess.run(["bash", "scripts/test.sh", preset, "-R", f"^{check}$"], cwd=copy,
                                env=env, stdout=log, stderr=subprocess.STDOUT).returncode
    if plant == "patch" and patch(copy, check, "-R"):
        return False, "the patch did not come out again"
    output = (logs / f"{check}.log").read_text(errors="replace")
    found = re.search(pattern, output)
    if status and found:
        # The lines the match spans, its first and last when more.
        start, end = output.rfind("\n", 0, found.start()) + 1, (output + "\n").find("\n", found.end())
        lines = [line.strip() for line in output[start:end].splitlines() if line.strip()]
        return True, " … ".join(lines[:1] + lines[1:][-1:])
    tail = "".join(f"\n    | {line}" for line in output.splitlines()[-25:])
    return False, f"status {status}, no line matches /{pattern}/ ({logs / check}.log):{tail}"


def main(args):
    listing = "--list" in args
    names = [a for a in args if a != "--list"]
    version = platform.freedesktop_os_release().get("VERSION_ID", "")
    presets = {row[1] for row in ROWS}
    unknown = [n for n in names if n not in presets and n not in {row[0] for row in ROWS}]
    if unknown:
        sys.exit(f"drill: no row or preset {' '.join(unknown)}\n{__doc__}")
    wanted = names or PRESETS.get(version, [])
    rows = [row for row in ROWS if row[0] in wanted or row[1] in wanted]
    how = lambda row: f"`{row[0]}.patch` ({', '.join(patched(row[0]))})" if row[3] == "patch" else f"`{row[3]}`"
    if listing:
        for row in rows:
            print(f"{row[0]} [{row[1]}]: {row[2]}; planted by {how(row)}; must say /{row[4]}/")
        return 0
    results = []
    for row in rows:
        caught, said = drill(row)
        results.append((row, caught, said))
        print(f"{row[0]}: {row[2]}: {'PASS' if caught else 'NOT CAUGHT'}: {said}", flush=True)
    print("\n| check | fault | how planted | the failure message |\n|---|---|---|---|")
    for row, caught, said in results:
        message = said.split("\n")[0][:200].replace("|", "\\|")
        print(f"| {row[0]} | {row[2]} | {how(row)} | {'' if caught else 'NOT CAUGHT: '}`{message}` |")
    return 0 if results and all(caught for _, caught, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

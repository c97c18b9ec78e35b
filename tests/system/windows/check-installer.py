#!/usr/bin/python3
"""The Windows packages under Wine, in the fixture's prefix, as the table in main() walks them: the
installer, the program it installs, the installer of a later version (packed here from the same
build with one file fewer, signed with a throw-away certificate) over it, the uninstaller, and
the portable zip. The later version is the project's with its minor number one up.
Usage: check-installer.py SETUP_EXE ZIP CPACK_CONFIG"""
import os, re, subprocess, sys, tempfile, zipfile
from pathlib import Path
import facts
from check import fail, run_table, wait
from desktop import Drive, key, out, prefix_processes, screen_on_failure, wait_wine

KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Conversione"
# What Wine writes anew whenever its server starts, whatever runs: the hardware's description,
# the display devices, the services' start count, the fonts' list.
WINE_NOISE = re.compile(r"^\[HKEY_LOCAL_MACHINE\\(Hardware\\|System\\(ControlSet001|CurrentControlSet)"
                        r"\\Control\\((Class|DeviceClasses|Video)\\|ServiceCurrent\])|Software\\"
                        r"(Wow6432Node\\)?Microsoft\\Windows( NT)?\\CurrentVersion\\Fonts\])|"
                        r"^\[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\External Fonts\]")
# The uninstaller's copy of itself in the temporary folder, which Windows' cleaning removes.
UNINSTALLER_COPY = re.compile(r"^\./users/[^/]+/AppData/Local/Temp/~nsu[^/]*\.tmp(/[^/]+\.exe)?$")
WORK = Path(tempfile.mkdtemp())
CERT = {"CONVERSIONE_SIGN_PKCS12": str(WORK / "cert.p12"), "CONVERSIONE_SIGN_PASSWORD": "prova"}


def wine(*argv, refused=False):
    """Runs a Windows program to its end, which must be a success or, if REFUSED, a failure; then,
    unless refused, every process it left (an uninstaller's copy)."""
    got = subprocess.run(["wine", *map(str, argv)], capture_output=True).returncode
    if not refused:
        wait_wine()
    if (got != 0) != refused:
        fail(f"wine {' '.join(map(str, argv))} ended with status {got}")


def snapshot():
    """Every file and folder of drive C ("./path") and every registry key and value."""
    drive = Path(os.environ["WINEPREFIX"]) / "drive_c"
    lines = {f"./{p.relative_to(drive)}" for p in drive.rglob("*")}
    for hive in ("HKCU", "HKLM"):
        subprocess.run(["wine", "reg", "export", hive, WORK / "hive.reg", "/y"], capture_output=True)
        key = ""
        for line in (WORK / "hive.reg").read_text(encoding="utf-16").splitlines()[1:]:
            key = line if line.startswith("[") else key
            lines.add(line if line == key else f"{key} {line}")
    return {line for line in lines if not WINE_NOISE.match(line)}


def unzipped(path):
    zipfile.ZipFile(path).extractall(WORK / path.name)
    return next((WORK / path.name).iterdir())


def convert_and_close(argv):
    program = Drive(["wine", *argv], WORK / "program.log")
    program.step(("start", "launch", "window"))
    program.step(("a conversion", "type:1000 Return Tab", "reads 1111101000"))
    key("alt+F4")
    wait(10, lambda: not prefix_processes("conversione.exe"), "the program to end")


def signed(path, ca=()):
    return subprocess.run(["osslsigncode", "verify", *ca, "-in", path], capture_output=True).returncode == 0


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    setup, zip_path, config = sys.argv[1:]
    major, minor = facts.VERSION.split(".")  # the minor one up, as many digits: 1.09 -> 1.10
    later_version = f"{major}.{int(minor) + 1:0{len(minor)}d}"
    # Wine's desktop integration turns every Start-menu shortcut into a Linux menu entry, on its
    # own time: it is Wine's, not the installer's, and would make the prefix depend on timing.
    os.environ["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
    version = re.search(r"Conversione-([0-9.]+)-setup\.exe$", setup).group(1)
    numbers = lambda v: tuple(map(int, v.split(".")))
    if numbers(later_version) <= numbers(version):
        sys.exit(f"the later version {later_version} is not newer than {version}")
    # The same program packed as the later version, signed, less Qt/patches-left-out.txt.
    subprocess.run("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=prova -keyout key.pem"
                   " -addext extendedKeyUsage=codeSigning -out cert.pem && openssl pkcs12 -export"
                   " -inkey key.pem -in cert.pem -out cert.p12 -passout pass:prova",
                   shell=True, cwd=WORK, check=True, capture_output=True)
    fewer = WORK / "fewer.cmake"
    fewer.write_text('file(GLOB_RECURSE gone "${CPACK_TEMPORARY_DIRECTORY}/*/patches-left-out.txt")\n'
                     'file(REMOVE ${gone})\n')
    scripts = Path(os.environ["CONVERSIONE_SOURCE"]) / "packaging/windows/cpack"
    subprocess.run(["cpack", "--config", config, "-B", WORK / "later",
                    "-D", f"CPACK_PACKAGE_VERSION={later_version}",
                    "-D", f"CPACK_PACKAGE_FILE_NAME=Conversione-{later_version}-windows-x64",
                    "-D", f"CPACK_PRE_BUILD_SCRIPTS={scripts}/sign.cmake;{scripts}/stamp.cmake;{fewer}"],
                   check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, **CERT))
    later = WORK / "later" / f"Conversione-{later_version}-setup.exe"
    winvar = lambda name: out("wine", "cmd", "/c", f"echo %{name}%")
    files = lambda folder: {str(p.relative_to(folder)): p.read_bytes() for p in folder.rglob("*") if p.is_file()}
    instdir_win = winvar("LOCALAPPDATA") + r"\Programs\Conversione"
    instdir = Path(out("winepath", "-u", instdir_win))
    program, uninstaller = f"{instdir_win}\\conversione.exe", f"{instdir_win}\\disinstalla.exe"
    shortcut = winvar("APPDATA") + r"\Microsoft\Windows\Start Menu\Programs\Conversione.lnk"
    before = snapshot()

    def installed(unpacked, version):
        lnk = Path(out("winepath", "-u", shortcut)).read_bytes()
        if program.encode("utf-16-le") not in lnk and program.encode() not in lnk:
            fail("no Start-menu shortcut")
        got = files(instdir)
        if got.pop("disinstalla.exe", None) is None:
            fail("no uninstaller")
        if got != files(unpacked):
            fail(f"the installed files are not the zip's: {sorted(got)}")
        entry = dict(re.findall(r"^ +(\S+) +REG_\S+ +(.*?)\r?$", out("wine", "reg", "query", KEY), re.M))
        want = {"DisplayName": "Conversione", "DisplayVersion": version,
                "Publisher": facts.PUBLISHER, "DisplayIcon": program + ",0",
                "InstallLocation": instdir_win, "UninstallString": f'"{uninstaller}"',
                "QuietUninstallString": f'"{uninstaller}" /S', "NoModify": "0x1", "NoRepair": "0x1"}
        wrong = {k: entry.get(k) for k, v in want.items() if entry.get(k) != v}
        if wrong:
            fail(f"the entry in the list of installed apps: {wrong}, expected {want}")
        # The files' own bytes in KiB; the installer rounds each file, a KiB either way.
        size = sum(p.stat().st_size for p in instdir.rglob("*") if p.is_file()) / 1024
        if abs(int(entry["EstimatedSize"], 16) - size) > len(list(instdir.rglob("*"))):
            fail(f"EstimatedSize {entry['EstimatedSize']}, {size} KiB")

    def refused():
        Drive(["wine", instdir / "conversione.exe"], WORK / "running.log").step(("start", "launch", "window"))
        now = snapshot()
        wine(setup, "/S", refused=True)
        wine(uninstaller, "/S", f"_?={instdir_win}", refused=True)
        if snapshot() != now:
            fail("the refused install or uninstall changed the prefix")
        key("alt+F4")
        wait_wine()

    def upgraded():
        installed(unzipped(next((WORK / "later").glob("*-windows-x64.zip"))), later_version)
        apps = out("wine", "reg", "query", KEY.rsplit("\\", 1)[0], "/s")
        named = re.findall(r"DisplayName +REG_SZ +Conversione\s*$", apps, re.M)
        if len(named) != 1:
            fail(f"{len(named)} entries named Conversione in the list of installed apps")
        for path in (later, instdir / "conversione.exe", instdir / "disinstalla.exe"):
            if not signed(path, ("-CAfile", WORK / "cert.pem")):
                fail(f"{path}: no sound signature")

    def unchanged(since, allowed=lambda line: False):
        after = snapshot()
        new, gone = {line for line in after - since if not allowed(line)}, since - after
        if new or gone:
            fail(f"the prefix changed: new {sorted(new)}, gone {sorted(gone)}")

    def unsigned():
        if signed(setup):
            fail(f"{setup} is signed, with no certificate given")

    def portable():
        now = snapshot()
        convert_and_close([unpacked / "conversione.exe"])
        wait_wine()
        unchanged(now, lambda line: not (line.startswith("./users/") or "conversione" in line.lower()))

    unpacked = unzipped(Path(zip_path))
    run_table([
        ("silent install", lambda: wine(setup, "/S")),
        ("the zip's files, the uninstaller, the entry", lambda: installed(unpacked, version)),
        ("the program from its Start-menu shortcut converts",
         lambda: convert_and_close(["start", "/wait", shortcut])),
        ("install and uninstall refuse while the program runs", refused),
        ("without a certificate nothing is signed", unsigned),
        ("a later version over it, signed", lambda: wine(later, "/S")),
        ("only the later version's files, one entry, sound signatures", upgraded),
        ("silent uninstall", lambda: wine(uninstaller, "/S")),
        ("nothing left", lambda: unchanged(before, UNINSTALLER_COPY.match)),
        ("the zip's program converts from its own folder, writing nothing", portable),
    ], lambda row: row[1](), report=screen_on_failure("installer"))


if __name__ == "__main__":
    main()

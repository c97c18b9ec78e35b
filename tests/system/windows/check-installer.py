#!/usr/bin/python3
"""The Windows packages under Wine, in the fixture's prefix. The installer: a silent install puts
the zip's files, a Start-menu shortcut and the entry in the list of installed apps in place; the
program started from the shortcut converts and closes; with the program running, install and
uninstall refuse and change nothing; a later version installed over it leaves only its own files
and one entry; a silent uninstall leaves nothing behind. The portable zip: the program run from
its unpacked folder converts and writes nothing to the user's folders or the registry.
The later version is packed here from the same build, with one file fewer.
Usage: check-installer.py SETUP_EXE ZIP [CPACK_CONFIG LATER_VERSION]"""
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

from fixture import poll
from winetools import check_table, copy_with, fail, keys, launch, main_window, out
from winetools import prefix_processes, type_text, wait_wine

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


def wine(*argv, wait=True):
    """Runs a Windows program, and with WAIT every process it left (an uninstaller's copy)."""
    status = subprocess.run(["wine", *argv], capture_output=True).returncode
    if wait:
        wait_wine()
    if status:
        fail(f"wine {' '.join(argv)} ended with status {status}")
    return status


def snapshot():
    """Every file and folder of drive C ("./path") and every registry key and value."""
    prefix = Path(subprocess.os.environ["WINEPREFIX"])
    lines = {f"./{p.relative_to(prefix / 'drive_c')}" for p in (prefix / "drive_c").rglob("*")}
    for hive in ("HKCU", "HKLM"):
        wine("reg", "export", hive, str(WORK / f"{hive}.reg"), "/y", wait=False)
        key = ""
        for line in (WORK / f"{hive}.reg").read_text(encoding="utf-16").splitlines():
            if line.startswith("["):
                key = line
                lines.add(key)
            elif line and not line.startswith("Windows Registry Editor"):
                lines.add(f"{key} {line}")
    return {line for line in lines if not WINE_NOISE.match(line)}


def entry():
    """The values of the program's entry in the list of installed apps: name -> (type, data)."""
    text = out("wine", "reg", "query", KEY).replace("\r", "")
    return {m[0]: (m[1], m[2]) for m in re.findall(r"^ +(\S+) +(REG_\S+) +(.*)$", text, re.M)}


def convert_and_close(process):
    main_window()
    type_text("1000")
    keys("Return", "Tab")
    got = poll(10, lambda: (c := copy_with(1, "ctrl+a", "ctrl+c")) == "1111101000" and c)
    got or fail("the result box does not hold 1111101000")
    keys("alt+F4")
    poll(10, lambda: not prefix_processes("conversione.exe")) or fail("the program still runs")


def pack_later(config, version):
    """The same program packed as VERSION, less Qt/patches-left-out.txt."""
    fewer = WORK / "fewer.cmake"
    fewer.write_text('file(GLOB_RECURSE gone "${CPACK_TEMPORARY_DIRECTORY}/*/patches-left-out.txt")\n'
                     'file(REMOVE ${gone})\n')
    stamp = Path(subprocess.os.environ["CONVERSIONE_SOURCE"]) / "packaging/windows/cpack/stamp.cmake"
    subprocess.run(["cpack", "--config", config, "-B", str(WORK / "later"),
                    "-D", f"CPACK_PACKAGE_VERSION={version}",
                    "-D", f"CPACK_PACKAGE_FILE_NAME=Conversione-{version}-windows-x64",
                    "-D", f"CPACK_PRE_BUILD_SCRIPTS={stamp};{fewer}"], check=True,
                   stdout=subprocess.DEVNULL)
    return str(WORK / "later" / f"Conversione-{version}-setup.exe")


class Check:
    def __init__(self, setup, zip_path, cpack_config=None, later_version=None):
        self.setup, self.later, self.later_version = setup, None, later_version
        if cpack_config:
            self.later = pack_later(cpack_config, later_version)
        self.version = re.search(r"Conversione-([0-9.]+)-setup\.exe$", setup).group(1)
        self.unpacked = WORK / "zip"
        zipfile.ZipFile(zip_path).extractall(self.unpacked)
        self.unpacked = next(self.unpacked.iterdir())
        local = out("wine", "cmd", "/c", "echo %LOCALAPPDATA%").replace("\r", "")
        self.instdir_win = local + r"\Programs\Conversione"
        self.instdir = Path(out("winepath", "-u", self.instdir_win))
        self.start_menu = out("wine", "cmd", "/c", "echo %APPDATA%").replace("\r", "") \
            + r"\Microsoft\Windows\Start Menu\Programs\Conversione.lnk"

    def files(self, folder):
        return {str(p.relative_to(folder)): p.read_bytes() for p in folder.rglob("*") if p.is_file()}

    def installed(self, unpacked, version):
        if unpacked.suffix == ".zip":
            zipfile.ZipFile(unpacked).extractall(WORK / version)
            unpacked = next((WORK / version).iterdir())
        lnk = Path(out("winepath", "-u", self.start_menu)).read_bytes()
        f"{self.instdir_win}\\conversione.exe".encode("utf-16-le") in lnk \
            or f"{self.instdir_win}\\conversione.exe".encode() in lnk or fail("no Start-menu shortcut")
        files = self.files(self.instdir)
        files.pop("disinstalla.exe", None) or fail("no uninstaller")
        if files != self.files(unpacked):
            fail(f"the installed files are not the zip's: {sorted(files)}")
        uninstaller = f'"{self.instdir_win}\\disinstalla.exe"'
        want = {"DisplayName": "Conversione", "DisplayVersion": version,
                "Publisher": "The Conversione developers",
                "DisplayIcon": f"{self.instdir_win}\\conversione.exe,0",
                "InstallLocation": self.instdir_win, "UninstallString": uninstaller,
                "QuietUninstallString": uninstaller + " /S", "NoModify": "0x1", "NoRepair": "0x1"}
        got = entry()
        wrong = {k: got.get(k, (None, None))[1] for k, v in want.items() if got.get(k, (0, 0))[1] != v}
        wrong and fail(f"the entry in the list of installed apps: {wrong}, expected {want}")
        # The files' own bytes in KiB; the installer rounds each file, a KiB either way.
        size = sum(p.stat().st_size for p in self.instdir.rglob("*") if p.is_file()) / 1024
        count = len(list(self.instdir.rglob("*")))
        abs(int(got["EstimatedSize"][1], 16) - size) <= count or fail(f"EstimatedSize {got['EstimatedSize']}, {size} KiB")

    def run(self):
        before = snapshot()
        unpacked = self.unpacked
        rows = [
            ("silent install", lambda: wine(self.setup, "/S")),
            ("the zip's files, the uninstaller, the entry", lambda: self.installed(unpacked, self.version)),
            ("the program from its Start-menu shortcut converts",
             lambda: convert_and_close(launch(["start", "/wait", self.start_menu], WORK / "p.log"))),
            ("install and uninstall refuse while the program runs", self.refused),
        ]
        if self.later:
            rows += [("a later version over it", lambda: wine(self.later, "/S")),
                     ("only the later version's files, one entry", self.upgraded)]
        rows += [("silent uninstall", lambda: wine(f"{self.instdir_win}\\disinstalla.exe", "/S")),
                 ("nothing left", lambda: self.unchanged(before)),
                 ("the zip's program converts from its own folder, writing nothing", self.portable)]
        check_table([(name, step) for name, step in rows], lambda row: row[1]())

    def refused(self):
        program = launch([self.instdir / "conversione.exe"], WORK / "running.log")
        main_window()
        before = snapshot()
        for argv in ([self.setup, "/S"], [f"{self.instdir_win}\\disinstalla.exe", "/S",
                                          f"_?={self.instdir_win}"]):
            status = subprocess.run(["wine", *argv], capture_output=True).returncode
            status or fail(f"{argv[0]} ended with status 0 while the program ran")
        snapshot() == before or fail("the refused install or uninstall changed the prefix")
        keys("alt+F4")
        program.wait(10)
        wait_wine()

    def upgraded(self):
        self.installed(next((WORK / "later").glob("*-windows-x64.zip")), self.later_version)
        apps = out("wine", "reg", "query", KEY.rsplit("\\", 1)[0], "/s")
        named = re.findall(r"DisplayName +REG_SZ +Conversione\s*$", apps, re.M)
        len(named) == 1 or fail(f"{len(named)} entries named Conversione in the list of installed apps")

    def unchanged(self, before):
        after = snapshot()
        left = {l for l in after - before if not UNINSTALLER_COPY.match(l)}
        lost = before - after
        (left or lost) and fail(f"installing and uninstalling changed the prefix: new {sorted(left)}, "
                                f"gone {sorted(lost)}")

    def portable(self):
        before = snapshot()
        convert_and_close(launch([self.unpacked / "conversione.exe"], WORK / "zip.log"))
        wait_wine()
        new = [l for l in snapshot() - before
               if l.startswith("./users/") or (l.startswith("[") and "conversione" in l.lower())]
        new and fail(f"the program from the zip wrote: {new}")


def main():
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    # Wine's desktop integration turns every Start-menu shortcut into a Linux menu entry, on its
    # own time: it is Wine's, not the installer's, and would make the prefix depend on timing.
    subprocess.os.environ["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
    Check(*sys.argv[1:]).run()


if __name__ == "__main__":
    main()

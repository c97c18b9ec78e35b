#!/usr/bin/python3
"""Writes LICENZE.txt, the notices of everything linked into the Windows program: the program's
own licence, Qt's, each third-party part of Qt this build compiled (from the qt_attribution.json
files that scripts/build-qt.sh keeps in QT/about), MinGW-w64's runtime and winpthreads, and GCC's
runtime libraries with their Runtime Library Exception (Debian's copyright files of the
cross-compiler). Fails, naming it, when a third-party folder the build compiled has no
attribution: such code would ship without its notice.
Usage: notices.py QT_ABOUT PROGRAM_LICENCE OUTPUT"""
import json
import re
import sys
from pathlib import Path

# Qt's own code derived from others' outside src/3rdparty, in the modules the program links.
QT_PARTS = ["src/corelib/text", "src/gui/painting", "src/gui/text"]
# Names in Qt's build.ninja under src/3rdparty that are CMake's own targets, not folders.
NOT_FOLDERS = {"CMakeFiles", "CMakeLists.txt", "all", "edit_cache", "install",
               "list_install_components", "rebuild_cache", "test"}
RUNTIME = [
    ("MinGW-w64: runtime e winpthreads", "/usr/share/doc/mingw-w64-x86-64-dev/copyright"),
    ("GCC: libstdc++ e libgcc, con la GCC Runtime Library Exception",
     "/usr/share/doc/gcc-mingw-w64-base/copyright"),
]


def section(title, body):
    return f"\n\n{title}\n{'=' * len(title)}\n\n{body.strip()}\n"


def attributions(about, folder):
    """The entries of every qt_attribution.json in FOLDER, each with its folder."""
    for path in sorted((about / folder).rglob("qt_attribution.json")):
        entries = json.loads(path.read_text(), strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            yield path.parent, entry


def licence_texts(about, folder, entry):
    files = entry.get("LicenseFiles") or entry.get("LicenseFile") or []
    paths = [folder / f for f in ([files] if isinstance(files, str) else files)]
    if not paths:  # only an SPDX expression: Qt's copy of each licence it names
        ids = re.findall(r"[A-Za-z0-9.+-]+", entry.get("LicenseId", ""))
        paths = [about / "LICENSES" / f"{i}.txt" for i in ids if i not in ("AND", "OR", "WITH")]
    return "\n\n".join(p.read_text(errors="replace") for p in paths if p.exists())


def entry_text(about, folder, entry):
    lines = [f"Versione: {entry['Version']}"] if entry.get("Version") else []
    lines.append(f"Licenza: {entry.get('License', '')} ({entry.get('LicenseId', '')})")
    copyright = entry.get("Copyright", [])
    lines += [copyright] if isinstance(copyright, str) else copyright
    return section(entry.get("Name", entry.get("Id")),
                   "\n".join(lines) + "\n\n" + licence_texts(about, folder, entry))


def notices(about, program_licence):
    compiled = [line.strip() for line in (about / "3rdparty-compiled.txt").read_text().split()]
    folders = [f for f in compiled if f.rsplit("/", 1)[-1] not in NOT_FOLDERS]
    missing = [f for f in folders if not any(attributions(about, f))]
    if missing:
        sys.exit("notices: no qt_attribution.json for compiled " + ", ".join(missing))
    text = ("Licenze del software compreso in Conversione\n"
            "============================================\n\n"
            "conversione.exe comprende, collegati staticamente, Qt e le parti di terzi che Qt\n"
            "compila, e le librerie di esecuzione del compilatore (MinGW-w64, GCC). Seguono le\n"
            "loro licenze e i loro avvisi di copyright.")
    text += section("Conversione", program_licence.read_text())
    text += section("Qt 6 - GNU Lesser General Public License versione 3",
                    (about / "LICENSES/LGPL-3.0-only.txt").read_text())
    text += section("GNU General Public License versione 3, che la LGPL completa",
                    (about / "LICENSES/GPL-3.0-only.txt").read_text())
    for folder in folders + QT_PARTS:
        for where, entry in attributions(about, folder):
            text += entry_text(about, where, entry)
    for title, path in RUNTIME:
        text += section(title, Path(path).read_text())
    return text


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    text = notices(Path(sys.argv[1]), Path(sys.argv[2]))
    # Windows' own line ends, and a byte order mark so that every Notepad reads UTF-8.
    Path(sys.argv[3]).write_bytes(b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode())


if __name__ == "__main__":
    main()

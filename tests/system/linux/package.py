#!/usr/bin/python3
"""The Debian package: package.py build (packaging/build-deb.sh) | lint (the validators, lintian,
hardening-check: any finding fails) | install (as root, with apt-get; its window shows with an
icon and ends with status 0 when closed through the window system; removed again). Whether two
builds give the same bytes is common/reproducible.py's to check."""
import json, os, re, shutil, subprocess, sys, tempfile
from pathlib import Path
from check import poll
from desktop import close_window, windows
from fixture import end, launch

SOURCE = Path(os.environ["CONVERSIONE_SOURCE"])
BUILD = SOURCE / "build/deb"


def out(*argv, check=True, stderr=subprocess.PIPE, **kwargs):
    done = subprocess.run(list(map(str, argv)), stdout=subprocess.PIPE, stderr=stderr, text=True, **kwargs)
    if check and done.returncode:
        sys.exit(f"{argv[0]} failed ({done.returncode}):\n{done.stdout}{done.stderr or ''}")
    return done.stdout


def waivers(program):
    """The hardening checks that this program cannot pass, and why."""
    cpu, waive = out("dpkg-architecture", "-qDEB_HOST_ARCH_CPU").strip(), []
    # Control-flow protection (IBT, SHSTK) is marked only when every object linked in is, and
    # Debian 12's C start files are not: then look for -fcf-protection's landing pads instead.
    if cpu == "amd64" and "IBT, SHSTK" not in out("readelf", "-n", out("g++", "-print-file-name=Scrt1.o").strip()):
        pads = out("objdump", "-d", program).count("endbr64")
        if not pads:
            sys.exit("no endbr64 landing pads: built without -fcf-protection?")
        waive.append("--nocfprotection")
        print(f"(control flow integrity waived: the C start files carry no CET marking; {pads} "
              "endbr64 landing pads in the program)")
    # Newer hardening-check asks every program for AArch64's branch protection (BTI, PAC).
    if cpu != "arm64" and "nobranchprotection" in Path(shutil.which("hardening-check")).read_text():
        waive.append("--nobranchprotection")
    # Fortify Source passes on one fortified call and fails on unfortified ones only: here the
    # memcpy, memmove and memset that std::string inlines as compiler builtins on heap buffers of
    # run-time size, which glibc's wrappers never see. Waived then only, if every file is fortified.
    verbose = out("hardening-check", "-v", *waive, program, check=False)
    unfortified = sorted(re.findall(r"^\tunprotected: (.*)$", verbose, re.M))
    if unfortified and set(unfortified) <= {"memcpy", "memmove", "memset"}:
        commands = [c["command"] for c in json.loads((BUILD / "compile_commands.json").read_text())]
        bare = sum("-D_FORTIFY_SOURCE=" not in command for command in commands)
        if bare:
            sys.exit(f"{bare} files built without fortify")
        waive.append("--nofortify")
        print(f"(Fortify Source waived: all {len(commands)} files are compiled with _FORTIFY_SOURCE; "
              f"the only unfortified calls are std::string's {' '.join(unfortified)})")
    return waive


def lint(deb):
    appstream = lambda mode, files: print(out(
        "cmake", "-DAPPSTREAMCLI=appstreamcli", f"-DMODE={mode}", f"-DFILES={files}", "-P",
        SOURCE / "packaging/cmake/check-metainfo.cmake", stderr=subprocess.STDOUT), end="")
    said = out("desktop-file-validate", *BUILD.glob("packaging/share/*.desktop"), stderr=subprocess.STDOUT)
    if said:
        sys.exit(f"desktop-file-validate reported:\n{said}")
    appstream("validate", ";".join(map(str, BUILD.glob("packaging/share/*.metainfo.xml"))))
    staging = BUILD / "staging"
    shutil.rmtree(staging, ignore_errors=True)
    out("cmake", "--install", BUILD, "--prefix", staging)
    print(out("find", ".", "-type", "f", "-printf", "%M %6s %P\n", cwd=staging), end="")
    appstream("validate-tree", staging)
    print(out("dpkg-deb", "--field", deb) + out("dpkg-deb", "--contents", deb), end="")
    # Lintian prints its tags on standard output; run as root it also warns on standard error.
    # Newer lintian runs AppStream's validate-tree itself: what it can find there, the one issue
    # check-metainfo.cmake waives (no homepage), was ruled on by the validate-tree above.
    tags = "\n".join(line for line in out("lintian", "--display-info", "--pedantic", deb).splitlines()
                     if line.strip() and "appstream-metadata-validation-failed" not in line)
    if tags:
        sys.exit(f"lintian reported:\n{tags}")
    print("lintian: no tags")
    with tempfile.TemporaryDirectory() as root:
        out("dpkg-deb", "--extract", deb, root)
        program = f"{root}/usr/bin/conversione"
        print(out("hardening-check", *waivers(program), program) + out("file", program))


def install(deb):
    if os.geteuid() != 0:
        print("skipped: installing a package with apt-get needs root")
        sys.exit(77)
    apt = lambda *args: subprocess.run(["apt-get", *args, "-y", "-qq"], capture_output=True, text=True,
                                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    if apt("install", deb).returncode:
        apt("update")
    try:
        done = apt("install", deb)
        if done.returncode:
            sys.exit(f"apt-get install failed:\n{done.stdout}{done.stderr}")
        print(out("dpkg-query", "-W", "-f=${Package} ${Version} ${Status}\nDepends: ${Depends}\n", "conversione"))
        if not os.access("/usr/bin/conversione", os.X_OK):
            sys.exit("/usr/bin/conversione is not installed")
        log = BUILD / "installed-program.log"
        app = launch(["/usr/bin/conversione"], log, cwd="/",
                     env={k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"})
        try:
            window = (poll(30, windows, 0.2) or [None])[0]
            print(f"window {window} mapped:", *re.findall(r"Map State: \S+|-geometry \S+",
                                                          out("xwininfo", "-id", window) if window else ""))
            icons = window and re.findall(r"Icon \(\d+ x \d+\)", out("xprop", "-id", window, "_NET_WM_ICON"))
            if not icons:
                sys.exit("no window with an icon (_NET_WM_ICON) within 30 s")
            print("window icon sizes:", *icons)
            close_window(window)
            status = app.wait(10)
            print(f"closed through the window system: the program ended with status {status}")
            if status:
                sys.exit(f"closed through the window system, the program ended with status {status}")
        finally:
            end([app.pid])
            print(log.read_text(errors="replace"), end="")
    finally:
        apt("remove", "--purge", "conversione")
    if Path("/usr/bin/conversione").exists():
        sys.exit("/usr/bin/conversione is still there after apt-get remove")
    print("removed")


if sys.argv[1] == "build":
    print(SOURCE / out("bash", SOURCE / "packaging/build-deb.sh").split()[-1])
else:
    {"lint": lint, "install": install}[sys.argv[1]](next(BUILD.glob("*.deb")))

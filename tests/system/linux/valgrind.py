#!/usr/bin/python3
"""A GUI test under valgrind's memcheck on one Qt platform (offscreen, or xcb on the display in
$DISPLAY). Any memory error, definite leak or failed test fails; valgrind.supp names the few
toolkit issues that are not ours. Usage: valgrind.py TEST PLATFORM LOGS"""
import os, re, subprocess, sys
from pathlib import Path

test, platform, logs = sys.argv[1], sys.argv[2], Path(sys.argv[3])
logs.mkdir(parents=True, exist_ok=True)
log = logs / f"{platform}.log"
env = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8", QT_QPA_PLATFORM=platform)
if platform == "xcb":
    # No session bus here: say so, rather than let libdbus fork an X11 auto-launcher mid-test.
    env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
result = subprocess.run(
    ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite",
     "--errors-for-leak-kinds=definite", "--error-exitcode=99", "--child-silent-after-fork=yes",
     "--num-callers=40", "--gen-suppressions=all", f"--suppressions={Path(__file__).parent}/valgrind.supp",
     f"--log-file={log}", test], env=env, capture_output=True, text=True, errors="replace")
report = log.read_text(errors="replace")
if result.returncode:
    print(result.stdout, result.stderr, report)
    sys.exit("memcheck: errors, a definite leak or a failed test; see above")
print(*re.findall(r"^Totals:.*$", result.stdout, re.M), *re.findall(
    r"^==\d+== +((?:definitely lost|ERROR SUMMARY).*)$", report, re.M), sep="\n")

# Starts Orca through its own launcher (/usr/bin/orca), with two differences for CI, where
# several may run at once, each on its own display and buses: it leaves other Orcas alone (orca
# --replace kills every "orca" process of the user, and without it Orca will not start beside
# another one), and its debug log is written line by line (older Orcas open it block-buffered),
# so the check can poll it. Works with Orca 43 to 51: the launcher's check for other Orcas is
# named otherOrcas or other_orcas, and each reads the debug settings from the debug module.
# Usage: /usr/bin/python3 orca-for-ci.py DEBUG_LOG
import importlib.machinery
import importlib.util
import sys

from orca import debug

debug.debugLevel = debug.LEVEL_ALL
if hasattr(debug, "eventDebugLevel"):
    debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)

loader = importlib.machinery.SourceFileLoader("orca_launcher", "/usr/bin/orca")
launcher = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
loader.exec_module(launcher)
for check in ("otherOrcas", "other_orcas"):
    if hasattr(launcher, check):
        setattr(launcher, check, lambda: [])
sys.argv = ["orca"]  # no --debug: the launcher would reopen the log block-buffered
sys.exit(launcher.main())

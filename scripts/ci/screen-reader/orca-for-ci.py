# Starts Orca as /usr/bin/orca does, with two differences for CI, where several may run at once,
# each on its own display and buses: it leaves other Orcas alone (orca --replace kills every
# "orca" process of the user, and without it Orca will not start beside another one), and its
# debug log is written line by line (Orca opens it block-buffered), so the stage can poll it.
# Usage: /usr/bin/python3 orca-for-ci.py DEBUG_LOG
import sys

from orca import debug

debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)

from orca import orca  # noqa: E402  (after the log is in place, as /usr/bin/orca does)

manager = orca.getSettingsManager()
manager.activate(None, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())

"""The program's facts the checks compare it with, as the build wrote them into facts.json
(cmake/facts.cmake) from the one place each is kept: the version, the application id, the
description and the publisher from the root CMakeLists.txt; the title, the client area's size,
the messages and the input's bound from the C++ source that uses them."""
import json, os
from pathlib import Path
from types import MappingProxyType

_FACTS = json.loads((Path(os.environ["CONVERSIONE_BUILD"]) / "facts.json").read_text("utf-8"))

TITLE = _FACTS["title"]                          # the window's and the message boxes' title
APP_ID = _FACTS["app_id"]                        # desktop entry, metainfo, icon, Qt's desktop name
DESCRIPTION = _FACTS["description"]              # what it is, in a line
CLIENT_WIDTH = _FACTS["client_size"]["width"]    # logical pixels, below the menu bar
CLIENT_HEIGHT = _FACTS["client_size"]["height"]
# "refusal" (not binary), "too long", and the run-time errors' reports "error13" and "error6" as
# their message box shows them.
MESSAGES = MappingProxyType(_FACTS["messages"])
LONGEST_INPUT = _FACTS["longest_input"]          # characters the input box holds
PUBLISHER = _FACTS["publisher"]
VERSION = _FACTS["version"]                      # MAJOR.MINOR, the minor with its leading zeros

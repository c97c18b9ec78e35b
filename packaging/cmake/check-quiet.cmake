# Runs COMMAND (a ;-list) and fails if it exits non-zero or prints anything at all: the desktop
# entry validator exits 0 even on some faults, and says nothing when the file is clean.
# Usage: cmake -DCOMMAND="tool;arg;..." -P check-quiet.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "${COMMAND} (exit ${status}):\n${out}")
endif()

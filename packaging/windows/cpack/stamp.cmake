# Run by CPack on the staged files before it packs them: every file and folder gets the one time
# SOURCE_DATE_EPOCH (the last commit's), which the zip stores, in place of the build's times.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set: the packages would carry the build's times")
endif()
execute_process(
    COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
    COMMAND_ERROR_IS_FATAL ANY)

# The installer is named for what it is; the zip keeps the name of its one folder.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Conversione-${CPACK_PACKAGE_VERSION}-setup")
endif()

# The installer is named for what it is; the zip keeps the name of its one folder. With a
# certificate in the environment NSIS signs the uninstaller it embeds and the installer itself.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Conversione-${CPACK_PACKAGE_VERSION}-setup")
    set(CPACK_CONVERSIONE_SIGNING "")
    if(DEFINED ENV{CONVERSIONE_SIGN_PKCS12})
        set(CPACK_CONVERSIONE_SIGNING "!uninstfinalize 'sh \"${CPACK_CONVERSIONE_SIGN}\" \"%1\"' = 0
!finalize 'sh \"${CPACK_CONVERSIONE_SIGN}\" \"%1\"' = 0")
    endif()
endif()

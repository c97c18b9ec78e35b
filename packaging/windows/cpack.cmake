# The portable zip and the per-user installer, by `cpack --preset windows`, from the install
# rules: Conversione-VERSION-windows-x64.zip (one folder) and Conversione-VERSION-setup.exe
# (cpack/NSIS.template.in). The staged program is signed when a certificate is given
# (cpack/sign.cmake), then every staged file is stamped with SOURCE_DATE_EPOCH (cpack/stamp.cmake),
# so that two builds of one commit give the same bytes.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME Conversione)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${CONVERSIONE_COMPANY}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Conversione)
set(CPACK_PACKAGE_FILE_NAME Conversione-${PROJECT_VERSION}-windows-x64)
set(CPACK_RESOURCE_FILE_LICENSE ${licences})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/cpack)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cpack/per-generator.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cpack/sign.cmake
    ${CMAKE_CURRENT_SOURCE_DIR}/cpack/stamp.cmake)
set(CPACK_CONVERSIONE_SIGN ${CMAKE_CURRENT_SOURCE_DIR}/sign.sh)
set(CPACK_NSIS_MUI_ICON ${CONVERSIONE_ICON})
set(CPACK_CONVERSIONE_VERSION_NUMBERS ${CONVERSIONE_VERSION_DOTTED})
set(CPACK_CONVERSIONE_COPYRIGHT "Copyright ${CONVERSIONE_COPYRIGHT}")
include(CPack)

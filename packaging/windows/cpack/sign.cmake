# Run by CPack on the staged files before it packs them: with a certificate in the environment
# (CONVERSIONE_SIGN_PKCS12, CONVERSIONE_SIGN_PASSWORD) the program is signed; without one nothing
# is, and the packages stay the same bytes from build to build.
if(DEFINED ENV{CONVERSIONE_SIGN_PKCS12})
    file(GLOB_RECURSE programs ${CPACK_TEMPORARY_DIRECTORY}/*.exe)
    foreach(program IN LISTS programs)
        execute_process(COMMAND sh ${CPACK_CONVERSIONE_SIGN} ${program} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()

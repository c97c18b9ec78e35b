# Makes the web site: copies FILES into SITE and writes NAME.br and NAME.gz beside each, both at
# their smallest and with no name or time in them, so that two builds give the same bytes.
# Usage: cmake -DSITE=dir -DFILES=file;... -P make-site.cmake
find_program(BROTLI brotli REQUIRED)
find_program(GZIP gzip REQUIRED)
file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
foreach(file IN LISTS FILES)
    get_filename_component(name ${file} NAME)
    file(COPY_FILE ${file} ${SITE}/${name})
    execute_process(COMMAND ${BROTLI} -q 11 -f -o ${SITE}/${name}.br ${SITE}/${name}
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${GZIP} -9 -n -c ${SITE}/${name}
        OUTPUT_FILE ${SITE}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

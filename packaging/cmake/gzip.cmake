# conversione_gzip(INPUT OUTPUT): compresses a configured file at configure time with gzip -9n,
# which Debian asks for (maximum compression, no name or time stamp, so the result is
# reproducible). Re-runs whenever the input is configured again.
function(conversione_gzip input output)
    execute_process(
        COMMAND gzip -9n -c "${input}"
        OUTPUT_FILE "${output}"
        COMMAND_ERROR_IS_FATAL ANY)
endfunction()

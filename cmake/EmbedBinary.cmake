# embed_binary(<target> <file> <symbol>): compiles the exact bytes of <file> into <target> as
#   extern const unsigned char <symbol>[]; extern const std::size_t <symbol>_size;
function(embed_binary target file symbol)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp")
    add_custom_command(
        OUTPUT "${out}"
        COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
                -P "${CMAKE_SOURCE_DIR}/cmake/EmbedBinaryWrite.cmake"
        DEPENDS "${file}" "${CMAKE_SOURCE_DIR}/cmake/EmbedBinaryWrite.cmake"
        VERBATIM)
    target_sources(${target} PRIVATE "${out}")
endfunction()

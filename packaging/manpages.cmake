# Manual pages generated from each program's --help and --version, so they follow the
# programs. Only programs built in this tree get one; the package holds whichever exist.
# packaging/manpages/PROGRAM.h2m adds sections help2man cannot read from --help (EXAMPLES);
# SEE ALSO names the other programs of the tree.
find_program(HELP2MAN_EXECUTABLE help2man REQUIRED)
find_program(GZIP_EXECUTABLE gzip REQUIRED)

# pellmark_add_manpage(TARGET NAME_LINE)
# NAME_LINE is the one-line description in the page's NAME section; the version is the
# program's own --version.
function(pellmark_add_manpage target name_line)
    if(NOT TARGET ${target})
        return()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
    set(examples ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/manpages/${target}.h2m)
    set(include_text)
    if(EXISTS ${examples})
        file(READ ${examples} include_text)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${examples})
    endif()
    set(see_also)
    foreach(other pellmark pellmark-batch pellmark-export pellmark-check pellmark-parse-page
                  pellmark-quote-service)
        if(TARGET ${other} AND NOT other STREQUAL target)
            string(REPLACE "-" "\\-" other_name ${other})
            list(APPEND see_also ".BR ${other_name} (1)")
        endif()
    endforeach()
    list(JOIN see_also ",\n" see_also)
    set(include_file ${CMAKE_BINARY_DIR}/man/${target}.h2m)
    file(CONFIGURE OUTPUT ${include_file} CONTENT "${include_text}\n[SEE ALSO]\n${see_also}\n"
         @ONLY)
    # Debian wants pages compressed, reproducibly (-n: no name or time stamp).
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${HELP2MAN_EXECUTABLE} --no-info --section=1 "--name=${name_line}"
                --include=${include_file} --output=${page}
                $<TARGET_FILE:${target}>
        COMMAND ${GZIP_EXECUTABLE} -9nf ${page}
        DEPENDS ${target} ${include_file}
        COMMENT "Manual page for ${target}"
        VERBATIM)
    add_custom_target(${target}-manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

pellmark_add_manpage(pellmark "download historical intraday prices for back-testing")
pellmark_add_manpage(pellmark-batch "download historical intraday prices from a terminal")
pellmark_add_manpage(pellmark-export "write the day files as one series per symbol: CSV, a platform's layout or SQLite")
pellmark_add_manpage(pellmark-check "tell which days of a save folder are missing or incomplete")
pellmark_add_manpage(pellmark-parse-page "write the day file Pellmark would save for a page")
pellmark_add_manpage(pellmark-quote-service "local stand-in for the quote service")

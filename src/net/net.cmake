target_sources(pellmark_net PRIVATE
    QuoteService.h
    FetchResult.h FetchResult.cpp
    DayRequest.h DayFetcher.h
    CurlMulti.h CurlMulti.cpp
    CookieLimit.h CookieLimit.cpp
    PageBodyReader.h PageBodyReader.cpp
    PageBrowser.h
    HiddenBrowser.h HiddenBrowser.cpp
    RequestPacer.h RequestPacer.cpp
    QuoteFetch.h QuoteFetch.cpp
    FormRelay.h)

# The hidden browser reads page bodies in this helper, found next to the running program or in
# the installed programs' libexec folder (or wherever PELLMARK_PAGE_BODY says, for tests).
add_executable(pellmark-page-body ${CMAKE_CURRENT_LIST_DIR}/PageBodyTool.cpp)
target_link_libraries(pellmark-page-body PRIVATE pellmark_page)
set(PELLMARK_HELPER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pellmark)
install(TARGETS pellmark-page-body RUNTIME DESTINATION ${PELLMARK_HELPER_DIR})
file(RELATIVE_PATH helper_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_PREFIX}/${PELLMARK_HELPER_DIR})
add_dependencies(pellmark_net pellmark-page-body)
target_compile_definitions(pellmark_net PRIVATE
    PELLMARK_PAGE_BODY_FROM_BINDIR="${helper_from_bindir}")

# A program that fetches finds the helper beside it in the build tree too, as a copy made
# whenever either is built; the installed programs find theirs in libexec.
function(pellmark_page_body_beside program)
    set(copy $<TARGET_FILE_DIR:${program}>/pellmark-page-body)
    add_custom_target(${program}_helper_copy
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:pellmark-page-body> ${copy}
        DEPENDS pellmark-page-body
        COMMENT "pellmark-page-body beside ${program}")
    add_dependencies(${program} ${program}_helper_copy)
endfunction()

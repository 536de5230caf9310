target_sources(pellmark_net PRIVATE
    QuoteService.h
    FetchResult.h FetchResult.cpp
    DayFetcher.h
    CurlMulti.h CurlMulti.cpp
    CookieLimit.h CookieLimit.cpp
    PageBodyReader.h PageBodyReader.cpp
    HiddenBrowser.h HiddenBrowser.cpp
    RequestPacer.h RequestPacer.cpp
    QuoteFetch.h QuoteFetch.cpp
    FormRelay.h)

# The hidden browser reads page bodies in this helper, found next to the running program or in
# the installed programs' libexec folder; programs run from the build tree are told where it is
# through PELLMARK_PAGE_BODY.
add_executable(pellmark-page-body ${CMAKE_CURRENT_LIST_DIR}/PageBodyTool.cpp)
target_link_libraries(pellmark-page-body PRIVATE pellmark_page)
set(PELLMARK_HELPER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pellmark)
install(TARGETS pellmark-page-body RUNTIME DESTINATION ${PELLMARK_HELPER_DIR})
file(RELATIVE_PATH helper_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_PREFIX}/${PELLMARK_HELPER_DIR})
add_dependencies(pellmark_net pellmark-page-body)
target_compile_definitions(pellmark_net PRIVATE
    PELLMARK_PAGE_BODY_FROM_BINDIR="${helper_from_bindir}")

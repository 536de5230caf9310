target_sources(pellmark_net PRIVATE
    QuoteService.h
    Category.h
    FetchResult.h FetchResult.cpp
    DayFetcher.h
    CurlMulti.h CurlMulti.cpp
    CookieLimit.h CookieLimit.cpp
    PageBodyReader.h PageBodyReader.cpp
    HiddenBrowser.h HiddenBrowser.cpp
    RequestPacer.h RequestPacer.cpp
    QuoteFetch.h QuoteFetch.cpp)

# The hidden browser reads page bodies in this helper, found next to the running program,
# else where the build put it; it is installed beside the programs.
add_executable(pellmark-page-body ${CMAKE_CURRENT_LIST_DIR}/PageBodyTool.cpp)
target_link_libraries(pellmark-page-body PRIVATE pellmark_page)
install(TARGETS pellmark-page-body RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
add_dependencies(pellmark_net pellmark-page-body)
target_compile_definitions(pellmark_net PRIVATE
    PELLMARK_PAGE_BODY_PATH="$<TARGET_FILE:pellmark-page-body>")

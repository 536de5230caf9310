target_sources(pellmark_net PRIVATE
    QuoteService.h
    FetchResult.h FetchResult.cpp
    DayFetcher.h
    CurlMulti.h CurlMulti.cpp
    HiddenBrowser.h HiddenBrowser.cpp
    QuoteFetch.h QuoteFetch.cpp)

target_sources(pellmark_net PRIVATE
    QuoteService.h
    CurlMulti.h CurlMulti.cpp
    HiddenBrowser.h HiddenBrowser.cpp
    QuoteFetch.h QuoteFetch.cpp)

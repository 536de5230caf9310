target_sources(pellmark_net PRIVATE
    QuoteService.h
    HiddenBrowser.h HiddenBrowser.cpp
    QuoteFetch.h QuoteFetch.cpp)

target_sources(pellmark_page PRIVATE
    IntradayParser.h IntradayParser.cpp
    DayPage.h DayPage.cpp
    PageBodyBounds.h PageBodyBounds.cpp)

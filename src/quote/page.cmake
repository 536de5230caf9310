target_sources(pellmark_page PRIVATE
    PageText.h PageText.cpp
    IntradayParser.h IntradayParser.cpp
    DayPage.h DayPage.cpp
    PageBodyBounds.h PageBodyBounds.cpp)

target_sources(pellmark_page PRIVATE
    BodySerialiser.h BodySerialiser.cpp
    Charset.h Charset.cpp)

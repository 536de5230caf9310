target_sources(pellmark_page PRIVATE
    BodySerialiser.h BodySerialiser.cpp
    Charset.h Charset.cpp
    CharsetAscii.h
    CharsetLabels.h CharsetLabels.cpp
    CharsetMeta.h CharsetMeta.cpp
    CharsetSniffer.h CharsetSniffer.cpp
    CharsetDecoder.h CharsetDecoder.cpp
    IconvConversion.h IconvConversion.cpp)

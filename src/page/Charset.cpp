#include "page/Charset.h"

#include "page/CharsetDecoder.h"
#include "page/CharsetSniffer.h"

namespace pellmark {

std::string DecodeHtmlToUtf8(std::string_view bytes, std::string_view contentType) {
    const SniffedEncoding sniffed = SniffHtmlEncoding(bytes, contentType);
    return DecodeToUtf8(sniffed.encoding, bytes.substr(sniffed.byteOrderMarkLength));
}

} // namespace pellmark

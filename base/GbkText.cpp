#include "base/GbkText.h"

#include <cerrno>
#include <iconv.h>

namespace {
std::string Convert(std::string_view in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::string(in);
    std::string out;
    out.resize(in.size() * 4 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen with 4x room; stop rather than loop
        // Invalid or truncated sequence: emit '?' and skip one byte.
        if (dstLeft == 0)
            break;
        *dst++ = '?';
        --dstLeft;
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}
} // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert(gbk, "UTF-8", "GBK"); }
std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, "GBK//TRANSLIT", "UTF-8"); }

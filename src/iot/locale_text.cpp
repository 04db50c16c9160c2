#include "iot/locale_text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

namespace ketrel::iot {

namespace {

bool IsUtf8OrAscii(const char* codeset) {
    for (const char* name : {"UTF-8", "utf8", "ANSI_X3.4-1968", "ASCII", "US-ASCII"}) {
        if (strcasecmp(codeset, name) == 0) return true;
    }
    return false;
}

}  // namespace

bool ToLocaleBytes(std::string_view utf8, std::string& out) {
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || !*codeset || IsUtf8OrAscii(codeset)) {
        out.assign(utf8);
        return true;
    }
    return ToCharsetBytes(utf8, codeset, out);
}

bool ToCharsetBytes(std::string_view utf8, const char* charset, std::string& out) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    bool ok = true;
    while (inLeft > 0) {
        char chunk[64];
        char* o = chunk;
        std::size_t oLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(chunk, sizeof chunk - oLeft);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    if (ok) {
        // Stateful character sets end with a shift back to the initial state.
        char chunk[16];
        char* o = chunk;
        std::size_t oLeft = sizeof chunk;
        if (iconv(cd, nullptr, nullptr, &o, &oLeft) == static_cast<std::size_t>(-1)) ok = false;
        out.append(chunk, sizeof chunk - oLeft);
    }
    iconv_close(cd);
    return ok;
}

}  // namespace ketrel::iot

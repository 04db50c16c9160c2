#include <gtest/gtest.h>

#include <string>

#include "iot/iot_line.h"
#include "iot/locale_text.h"

namespace ketrel::iot {
namespace {

TEST(LocaleBytes, ChineseTakesTwoBytesInADoubleByteCharacterSet) {
    struct Case {
        const char* charset;
        std::string text;
        bool converts;
        std::size_t bytes;
    } cases[] = {
        {"GB18030", "教室网关一二三四", true, 16},
        {"GB18030", "教室网关一二三四五", true, 18},
        {"GB18030", "ab", true, 2},
        {"GB2312", "网关\xF0\x9F\x98\x80", false, 0},  // no emoji in GB2312
        {"UTF-8", "教室网关一二", true, 18},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(ToCharsetBytes(c.text, c.charset, out), c.converts) << c.text;
        if (c.converts) {
            EXPECT_EQ(out.size(), c.bytes) << c.text;
        }
    }
    std::string out;
    ASSERT_TRUE(ToCharsetBytes("ab", "GB18030", out));
    EXPECT_EQ(PackTextBytes(out)[0], 25185);
    ASSERT_TRUE(ToCharsetBytes("网", "GB18030", out));
    EXPECT_EQ(out, "\xCD\xF8");
}

}  // namespace
}  // namespace ketrel::iot

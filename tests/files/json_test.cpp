// The JSON reader and the quoting of the writer: what a hand-edited file can hold, and where a
// broken one is reported.
#include <gtest/gtest.h>

#include "config/config_file_json.h"

namespace ketrel {
namespace {

TEST(Json, ReadsTextsWithEveryEscape) {
    struct Case {
        std::string literal;
        std::string text;
    };
    const Case cases[] = {
        {R"("plain")", "plain"},
        {R"("a\"b\\c\/d")", "a\"b\\c/d"},
        {R"("\b\f\n\r\t")", "\b\f\n\r\t"},
        {R"("\u4E2D\u6587")", "中文"},
        {R"("投影机")", "投影机"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\u0041\u00e9")", "A\xC3\xA9"},
    };
    for (const Case& c : cases) {
        json::ParseError error;
        const auto v = json::Parse(c.literal, &error);
        ASSERT_TRUE(v) << c.literal << ": " << error.message;
        EXPECT_TRUE(v->isString());
        EXPECT_EQ(v->text, c.text) << c.literal;
    }
}

TEST(Json, RefusesBrokenDocumentsAndSaysWhere) {
    struct Case {
        std::string document;
        int line;
        int column;
    };
    const Case cases[] = {
        {"{\n  \"a\": 1,\n  \"a\": 2\n}", 3, 6},  // a name twice
        {"[1, 2,\n]", 2, 1},                      // trailing comma
        {"{\"a\": \"x\ny\"}", 1, 9},              // raw line break in a text
        {"\"\xC0\x80\"", 1, 2},                   // overlong form
        {"\"\xED\xA0\x80\"", 1, 2},               // a surrogate in UTF-8
        {"\"\xE4\xB8\"", 1, 2},                   // a cut character
        {"\"\\uDC00\"", 1, 8},                    // a lone low surrogate
        {"\"\\uD83Dx\"", 1, 8},                   // a high surrogate alone
        {"\"\\x41\"", 1, 3},                      // no such escape
        {"[1 2]", 1, 4},                          // missing comma
        {"{} {}", 1, 4},                          // two documents
        {"01", 1, 2},                             // leading zero
        {"[tru]", 1, 2},                          // misspelt literal
        {"", 1, 1},                               // nothing at all
        {"[\"unterminated", 1, 15},
        {std::string("[1]\0x", 5), 1, 4},  // a byte 0 after the document
        {"\"\\uDFFF\\x\"", 1, 8},          // a lone surrogate, then another fault
        {"\"\\uD83D\\u12\"", 1, 10},       // a cut low half
        {"\"\\x\\uDC00\"", 1, 3},          // a fault, then a lone surrogate
    };
    for (const Case& c : cases) {
        json::ParseError error;
        EXPECT_FALSE(json::Parse(c.document, &error)) << c.document;
        EXPECT_EQ(error.line, c.line) << c.document << ": " << error.message;
        EXPECT_EQ(error.column, c.column) << c.document << ": " << error.message;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(Json, NestingIsBounded) {
    json::ParseError error;
    auto nested = [](std::size_t depth) {
        return std::string(depth, '[') + std::string(depth, ']');
    };
    EXPECT_TRUE(json::Parse(nested(json::kMaxDepth), &error)) << error.message;
    EXPECT_FALSE(json::Parse(nested(10000), &error));
}

TEST(Json, KeepsMemberOrderAndLines) {
    json::ParseError error;
    const auto v =
        json::Parse("\xEF\xBB\xBF{\"z\": 1,\n\"a\": [true, null],\n\"m\": -1.5e3}", &error);
    ASSERT_TRUE(v) << error.message;
    ASSERT_EQ(v->members.size(), 3u);
    EXPECT_EQ(v->members[0].first, "z");
    EXPECT_EQ(v->members[1].first, "a");
    EXPECT_EQ(v->members[1].second.line, 2);
    EXPECT_EQ(v->find("m")->text, "-1.5e3");
    EXPECT_EQ(v->find("a")->items[0].type, json::Value::Type::Bool);
    EXPECT_EQ(v->find("missing"), nullptr);
}

}  // namespace
}  // namespace ketrel

#include "config/config_file_json.h"

// RapidJSON reads the text. Of the JSON libraries Debian packages it is the one whose event
// (SAX) reader lets the program see where each value stands: the input stream's byte offset at
// every event gives the line of every value, so a problem found long after reading still names
// its line. It also checks UTF-8 as it reads.
#include <rapidjson/encodings.h>
#include <rapidjson/error/error.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include <cstdint>
#include <cstdio>

namespace ketrel::json {

namespace {

constexpr const char* kUnexpectedEnd = "文件意外结束";
constexpr const char* kUnknownContent = "无法识别的内容";
constexpr const char* kUnterminated = "文本没有结束的双引号";
constexpr const char* kControlCharacter = "文本中有未转义的控制字符（换行须写作 \\n）";
constexpr const char* kLoneSurrogate = "无效的 \\u 转义（孤立的代理项）";
constexpr const char* kLeftOver = "文件中在数据之后还有多余的内容";

struct Failure {
    std::size_t offset = 0;
    const char* message = nullptr;
};

// The value of four hexadecimal digits at text[at], or nothing.
std::optional<std::uint32_t> Hex4(std::string_view text, std::size_t at) {
    if (at + 4 > text.size()) return std::nullopt;
    std::uint32_t out = 0;
    const char* end = text.data() + at + 4;
    const auto [stop, error] = std::from_chars(text.data() + at, end, out, 16);
    if (stop != end || error != std::errc()) return std::nullopt;
    return out;
}

// The place of the first lone low surrogate escape (\uDC00) of the text literal that begins at
// the first quote from `from` on, before limit; npos when there is none.
std::size_t LoneSurrogate(std::string_view text, std::size_t from, std::size_t limit) {
    for (std::size_t i = text.find('"', from) + 1; i < limit && text[i] != '"';) {
        if (text[i] != '\\') {
            ++i;
            continue;
        }
        const bool u = i + 1 < limit && text[i + 1] == 'u';
        const std::uint32_t unit = u ? Hex4(text, i + 2).value_or(0) : 0;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return i + 6;
        i += unit >= 0xD800 && unit <= 0xDBFF ? 12 : (u ? 6 : 2);
    }
    return std::string_view::npos;
}

// RapidJSON notices some faults past where they begin (after the first letters of a misspelt
// word, at the backslash of an escape); the message names the place a person looks at: the
// start of the word, the escape character, the hexadecimal digits. A byte 0 reads as the end of
// the input to RapidJSON, so offsets before the true end are told apart from it.
Failure Explain(rapidjson::ParseErrorCode code, std::size_t at, std::string_view text) {
    using namespace rapidjson;
    const bool atEnd = at >= text.size();
    switch (code) {
        case kParseErrorDocumentEmpty:
        case kParseErrorValueInvalid:
            while (at > 0 && (text[at - 1] == '-' || (text[at - 1] >= 'a' && text[at - 1] <= 'z')))
                --at;
            return {at, at >= text.size() ? kUnexpectedEnd : kUnknownContent};
        case kParseErrorDocumentRootNotSingular:
            return {at, kLeftOver};
        case kParseErrorObjectMissName:
            return {at, atEnd ? kUnexpectedEnd : "此处应为用双引号括起的名称"};
        case kParseErrorObjectMissColon:
            return {at, "名称后应为冒号"};
        case kParseErrorObjectMissCommaOrCurlyBracket:
            return {at, atEnd ? kUnexpectedEnd : "此处应为逗号或右花括号"};
        case kParseErrorArrayMissCommaOrSquareBracket:
            return {at, atEnd ? kUnexpectedEnd : "此处应为逗号或右方括号"};
        case kParseErrorStringMissQuotationMark:
            return {at, atEnd ? kUnterminated : kControlCharacter};
        case kParseErrorStringEscapeInvalid:
            if (atEnd || text[at] != '\\') return {at, kControlCharacter};
            if (at + 1 >= text.size()) return {text.size(), kUnterminated};
            return {at + 1, "无效的转义字符"};
        case kParseErrorStringUnicodeEscapeInvalidHex:
            // The escape's own digits, or those of the low half after a high surrogate.
            return {Hex4(text, at + 2) ? at + 8 : at + 2, "无效的 \\u 转义"};
        case kParseErrorStringUnicodeSurrogateInvalid:
            return {text.substr(at + 6, 2) == "\\u" ? at + 12 : at + 6, kLoneSurrogate};
        case kParseErrorStringInvalidEncoding:
            return {at, "文本不是有效的 UTF-8 编码"};
        case kParseErrorNumberMissFraction:
        case kParseErrorNumberMissExponent:
            return {at, "数字格式错误"};
        case kParseErrorNumberTooBig:
            return {at, "数字超出范围"};
        default:
            return {at, kUnknownContent};
    }
}

// The reader's input: a copy of the text that RapidJSON decodes texts into in place. That way
// the reader needs no stack of its own, whose first growth in the packaged version adds to a
// null pointer, which Clang's sanitizer refuses. Reading past the end gives zeros, as RapidJSON's
// own memory stream does, so a byte 0 in the text reads as its end.
class InPlaceStream {
  public:
    using Ch = char;
    explicit InPlaceStream(std::string& copy)
        : head_(copy.data()), src_(head_), end_(head_ + copy.size()) {}

    char Peek() const { return src_ == end_ ? '\0' : *src_; }
    char Take() { return src_ == end_ ? '\0' : *src_++; }
    std::size_t Tell() const { return static_cast<std::size_t>(src_ - head_); }

    // A decoded text is never longer than its literal; only a cut one at the end of the input
    // could be written past it.
    char* PutBegin() { return dst_ = src_; }
    void Put(char c) {
        if (dst_ != end_) *dst_++ = c;
    }
    std::size_t PutEnd(const char* begin) const { return static_cast<std::size_t>(dst_ - begin); }
    void Flush() {}

  private:
    char* head_;
    char* src_;
    char* end_;
    char* dst_ = nullptr;
};

// Builds the tree from RapidJSON's events, with the line of every value, and refuses what the
// library lets through: a name twice in one object, nesting deeper than kMaxDepth, and a lone
// low surrogate escape (\uDC00), which the library turns into bytes that are no UTF-8.
class TreeBuilder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, TreeBuilder> {
  public:
    TreeBuilder(std::string_view text, std::size_t start, const InPlaceStream& in)
        : text_(text), start_(start), in_(in), end_(start) {}

    bool Null() {
        place(Value::Type::Null);
        return true;
    }
    bool Bool(bool b) {
        place(Value::Type::Bool)->boolean = b;
        return true;
    }
    // Numbers as written: RapidJSON gives their values, the text gives their digits.
    bool Int(int) { return number(); }
    bool Uint(unsigned) { return number(); }
    bool Int64(std::int64_t) { return number(); }
    bool Uint64(std::uint64_t) { return number(); }
    bool Double(double) { return number(); }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (!checkText(text, length)) return false;
        place(Value::Type::String)->text.assign(text, length);
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (!checkText(text, length)) return false;
        name_.assign(text, length);
        end_ = offset();
        if (!open_.back().names.insert(name_).second) return fail(end_, "名称重复");
        return true;
    }
    bool StartObject() { return start(Value::Type::Object); }
    bool StartArray() { return start(Value::Type::Array); }
    bool EndObject(rapidjson::SizeType) { return end(); }
    bool EndArray(rapidjson::SizeType) { return end(); }

    Value& root() { return root_; }
    std::size_t lastEnd() const { return end_; }
    const Failure& failure() const { return failure_; }

  private:
    struct Open {
        Value* value;
        std::unordered_set<std::string> names;  // an object's, looked up by hash
    };

    std::size_t offset() const { return start_ + in_.Tell(); }

    // The line of text[at], counted on from the last one asked for (offsets only grow).
    int lineAt(std::size_t at) {
        for (; counted_ < at; ++counted_) line_ += text_[counted_] == '\n';
        return line_;
    }

    bool fail(std::size_t at, const char* message) {
        failure_ = {at, message};
        return false;
    }

    // A new value of the given type where the reader stands: the document itself, the next
    // item of an array or the value of the name just read.
    Value* place(Value::Type type) {
        end_ = offset();
        Value* v = &root_;
        if (!open_.empty()) {
            Value& parent = *open_.back().value;
            if (parent.isArray()) {
                v = &parent.items.emplace_back();
            } else {
                parent.members.push_back(Value::Member{std::move(name_), Value()});
                v = &parent.members.back().second;
            }
        }
        v->type = type;
        // Every event comes at the end of a token, and no token spans lines.
        v->line = lineAt(end_ - 1);
        return v;
    }

    bool number() {
        // Between the last token and a number stand only white space, commas, colons and
        // brackets.
        const std::size_t from = text_.find_first_of("-0123456789", end_);
        Value* v = place(Value::Type::Number);
        v->text = std::string(text_.substr(from, end_ - from));
        return true;
    }

    bool start(Value::Type type) {
        if (open_.size() >= static_cast<std::size_t>(kMaxDepth)) {
            return fail(offset() - 1, "嵌套层次太深");
        }
        // A parent's items do not move while a child is open: only its last one is.
        open_.push_back({place(type), {}});
        return true;
    }

    bool end() {
        end_ = offset();
        open_.pop_back();
        return true;
    }

    bool checkText(const char* text, rapidjson::SizeType length) {
        if (IsValidUtf8(std::string_view(text, length))) return true;
        const std::size_t at = LoneSurrogate(text_, end_, offset());
        return fail(at != std::string_view::npos ? at : end_, kLoneSurrogate);
    }

    std::string_view text_;
    std::size_t start_;  // where the reader began: after a byte order mark
    const InPlaceStream& in_;
    std::size_t end_;  // just after the last event's token
    std::size_t counted_ = 0;
    int line_ = 1;
    Value root_;
    std::vector<Open> open_;
    std::string name_;
    Failure failure_;
};

struct NoOutput {
    void Put(char) {}
};

}  // namespace

const Value* Value::find(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::optional<Value> Parse(std::string_view text, ParseError* error) {
    // A byte order mark from an editor that adds one is no content.
    const std::size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::string copy(text.substr(start));
    InPlaceStream in(copy);
    TreeBuilder builder(text, start, in);
    rapidjson::Reader reader;
    constexpr unsigned kFlags = rapidjson::kParseInsituFlag | rapidjson::kParseValidateEncodingFlag;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(in, builder);
    Failure failure;
    if (result.Code() == rapidjson::kParseErrorTermination) {
        failure = builder.failure();
    } else if (result.IsError()) {
        failure = Explain(result.Code(), start + result.Offset(), text);
        // A lone surrogate escape goes unnoticed until its text ends; a fault later in the same
        // text must not hide it.
        const rapidjson::ParseErrorCode code = result.Code();
        if (code == rapidjson::kParseErrorStringUnicodeEscapeInvalidHex ||
            code == rapidjson::kParseErrorStringUnicodeSurrogateInvalid ||
            code == rapidjson::kParseErrorStringEscapeInvalid ||
            code == rapidjson::kParseErrorStringMissQuotationMark ||
            code == rapidjson::kParseErrorStringInvalidEncoding) {
            const std::size_t lone =
                LoneSurrogate(text, builder.lastEnd(), start + result.Offset());
            if (lone != std::string_view::npos) failure = {lone, kLoneSurrogate};
        }
    } else if (start + in.Tell() < text.size()) {
        // The library stops at a byte 0 as at the end; anything from there on is left over.
        failure = {start + in.Tell(), kLeftOver};
    } else {
        return std::move(builder.root());
    }
    if (error) {
        const std::string_view before = text.substr(0, failure.offset);
        const std::size_t lineStart = before.rfind('\n') + 1;  // 0 on the first line
        const auto line = 1 + std::count(before.begin(), before.end(), '\n');
        *error = {static_cast<int>(line), static_cast<int>(failure.offset - lineStart) + 1,
                  failure.message};
    }
    return std::nullopt;
}

// Written by hand: the file's bytes must not change, and RapidJSON's writer would write \b and
// \f in their short forms and DEL as it is, where the file has always had \u0008, \u000C and
// \u007F.
std::string Quote(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned char>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

bool IsValidUtf8(std::string_view text) {
    rapidjson::MemoryStream in(text.data(), text.size());
    NoOutput out;
    while (in.Tell() < text.size()) {
        if (!rapidjson::UTF8<>::Validate(in, out)) return false;
    }
    return true;
}

}  // namespace ketrel::json

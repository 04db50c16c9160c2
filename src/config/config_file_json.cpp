#include "config/config_file_json.h"

#include <unordered_set>

#include <cstdint>
#include <cstdio>

namespace ketrel::json {

namespace {

// Length of the UTF-8 sequence starting at text[i] when it is well-formed, else 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0) lo = 0xA0;  // overlong
        if (b0 == 0xED) hi = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0) lo = 0x90;  // overlong
        if (b0 == 0xF4) hi = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < len; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return len;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<Value> document(ParseError* error) {
        // A byte order mark from an editor that adds one is no content.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") advance(3);
        skipSpace();
        Value v;
        if (!value(v, 0)) return report(error);
        skipSpace();
        if (pos_ < text_.size()) {
            fail("文件中在数据之后还有多余的内容");
            return report(error);
        }
        return v;
    }

  private:
    std::optional<Value> report(ParseError* error) {
        if (error) *error = error_;
        return std::nullopt;
    }

    bool fail(const char* message) {
        if (error_.message.empty()) error_ = {line_, column(), message};
        return false;
    }

    int column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

    void advance(std::size_t n) { pos_ += n; }

    void skipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++pos_;
                ++line_;
                lineStart_ = pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else {
                break;
            }
        }
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return fail("无法识别的内容");
        advance(word.size());
        return true;
    }

    bool value(Value& v, int depth) {
        if (pos_ >= text_.size()) return fail("文件意外结束");
        v.line = line_;
        switch (text_[pos_]) {
            case '{':
                return object(v, depth + 1);
            case '[':
                return array(v, depth + 1);
            case '"':
                v.type = Value::Type::String;
                return string(v.text);
            case 't':
                v.type = Value::Type::Bool;
                v.boolean = true;
                return literal("true");
            case 'f':
                v.type = Value::Type::Bool;
                return literal("false");
            case 'n':
                v.type = Value::Type::Null;
                return literal("null");
            default:
                v.type = Value::Type::Number;
                return number(v.text);
        }
    }

    bool object(Value& v, int depth) {
        if (depth > kMaxDepth) return fail("嵌套层次太深");
        v.type = Value::Type::Object;
        advance(1);
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            advance(1);
            return true;
        }
        // Looked up by hash: a file with a huge object must not take minutes to refuse.
        std::unordered_set<std::string> names;
        for (;;) {
            skipSpace();
            if (pos_ >= text_.size()) return fail("文件意外结束");
            if (text_[pos_] != '"') return fail("此处应为用双引号括起的名称");
            std::string name;
            if (!string(name)) return false;
            if (!names.insert(name).second) return fail("名称重复");
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("名称后应为冒号");
            advance(1);
            skipSpace();
            Value member;
            if (!value(member, depth)) return false;
            v.members.push_back({std::move(name), std::move(member)});
            skipSpace();
            if (pos_ >= text_.size()) return fail("文件意外结束");
            if (text_[pos_] == ',') {
                advance(1);
                continue;
            }
            if (text_[pos_] == '}') {
                advance(1);
                return true;
            }
            return fail("此处应为逗号或右花括号");
        }
    }

    bool array(Value& v, int depth) {
        if (depth > kMaxDepth) return fail("嵌套层次太深");
        v.type = Value::Type::Array;
        advance(1);
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            advance(1);
            return true;
        }
        for (;;) {
            skipSpace();
            Value item;
            if (!value(item, depth)) return false;
            v.items.push_back(std::move(item));
            skipSpace();
            if (pos_ >= text_.size()) return fail("文件意外结束");
            if (text_[pos_] == ',') {
                advance(1);
                continue;
            }
            if (text_[pos_] == ']') {
                advance(1);
                return true;
            }
            return fail("此处应为逗号或右方括号");
        }
    }

    bool hex4(std::uint32_t& out) {
        if (pos_ + 4 > text_.size()) return fail("无效的 \\u 转义");
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_ + static_cast<std::size_t>(i)];
            std::uint32_t d = 0;
            if (c >= '0' && c <= '9') {
                d = static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                d = static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                d = static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return fail("无效的 \\u 转义");
            }
            out = out * 16 + d;
        }
        advance(4);
        return true;
    }

    bool string(std::string& out) {
        advance(1);  // the opening quote
        for (;;) {
            if (pos_ >= text_.size()) return fail("文本没有结束的双引号");
            const char c = text_[pos_];
            if (c == '"') {
                advance(1);
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return fail("文本中有未转义的控制字符（换行须写作 \\n）");
            }
            if (c != '\\') {
                const std::size_t len = Utf8SequenceLength(text_, pos_);
                if (len == 0) return fail("文本不是有效的 UTF-8 编码");
                out.append(text_.substr(pos_, len));
                advance(len);
                continue;
            }
            advance(1);
            if (pos_ >= text_.size()) return fail("文本没有结束的双引号");
            const char e = text_[pos_];
            advance(1);
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = 0;
                    if (!hex4(cp)) return false;
                    if (cp >= 0xDC00 && cp <= 0xDFFF)
                        return fail("无效的 \\u 转义（孤立的代理项）");
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        std::uint32_t low = 0;
                        if (text_.substr(pos_, 2) != "\\u") {
                            return fail("无效的 \\u 转义（孤立的代理项）");
                        }
                        advance(2);
                        if (!hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) {
                            return fail("无效的 \\u 转义（孤立的代理项）");
                        }
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default:
                    pos_ -= 1;
                    return fail("无效的转义字符");
            }
        }
    }

    bool number(std::string& out) {
        const std::size_t start = pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '0') {
            ++pos_;
        } else if (digits() == 0) {
            pos_ = start;
            return fail("无法识别的内容");
        }
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (digits() == 0) return fail("数字格式错误");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (digits() == 0) return fail("数字格式错误");
        }
        out = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
    ParseError error_;
};

}  // namespace

const Value* Value::find(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::optional<Value> Parse(std::string_view text, ParseError* error) {
    return Parser(text).document(error);
}

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
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = Utf8SequenceLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

}  // namespace ketrel::json

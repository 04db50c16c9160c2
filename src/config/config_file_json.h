#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Just enough JSON for the configuration file: a reader that keeps the order of object members
// and the line of every value (so a problem can be shown where it is in the file), and the
// quoting of a text for the writer. RapidJSON does the reading; this builds the tree with its
// lines and says what is wrong, and where, in the file's own words. Text is UTF-8 throughout;
// anything that is not well-formed UTF-8 is refused rather than passed on to the database.
namespace ketrel::json {

struct Value {
    enum class Type { Null, Bool, Number, String, Array, Object };

    Type type = Type::Null;
    bool boolean = false;
    std::string text;  // a string's text, or a number as written
    std::vector<Value> items;
    // A member's name and value. Declared after Value is whole: a pair of a string and a Value
    // inside Value itself is refused by Clang with the GCC library.
    struct Member;
    std::vector<Member> members;  // in file order, names unique
    int line = 0;                 // where the value starts, from 1

    bool isString() const { return type == Type::String; }
    bool isArray() const { return type == Type::Array; }
    bool isObject() const { return type == Type::Object; }
    // The member of that name, or nullptr.
    const Value* find(std::string_view name) const;
};

struct Value::Member {
    std::string first;  // the name
    Value second;
};

struct ParseError {
    int line = 0;
    int column = 0;
    std::string message;
};

// The one value of a document (white space around it allowed). Nothing, with the place and the
// reason in *error, for anything else.
std::optional<Value> Parse(std::string_view text, ParseError* error);

// A string literal with its quotes. Characters beyond ASCII are written as they are, so Chinese
// names stay readable in the file; control characters, quotes and backslashes are escaped.
std::string Quote(std::string_view utf8);

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// How deeply arrays and objects may nest; the configuration needs four levels.
inline constexpr int kMaxDepth = 32;

}  // namespace ketrel::json

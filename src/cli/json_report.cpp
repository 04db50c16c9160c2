#include "cli/json_report.h"

#include <ostream>

#include "platform/text_util.h"

namespace ketrel::cli {

namespace {

json::Value String(std::string_view text) {
    json::Value v;
    v.type = json::Value::Type::String;
    v.text = text;
    return v;
}

json::Value Number(int n) {
    json::Value v;
    v.type = json::Value::Type::Number;
    v.text = std::to_string(n);
    return v;
}

void Set(json::Value& object, std::string_view name, json::Value value) {
    for (auto& member : object.members) {
        if (member.first == name) {
            member.second = std::move(value);
            return;
        }
    }
    object.members.push_back({std::string(name), std::move(value)});
}

json::Value Object(std::initializer_list<std::pair<std::string_view, json::Value>> members) {
    json::Value v;
    v.type = json::Value::Type::Object;
    for (const auto& [name, value] : members) Set(v, name, value);
    return v;
}

const char* Level(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return "error";
        // A question on the command line is refused unanswered: worth a look.
        case MessageIcon::Warning:
        case MessageIcon::Question:
            return "warning";
        default:
            return "info";
    }
}

void Append(const json::Value& v, std::string& out) {
    switch (v.type) {
        case json::Value::Type::Null:
            out += "null";
            break;
        case json::Value::Type::Bool:
            out += v.boolean ? "true" : "false";
            break;
        case json::Value::Type::Number:
            out += v.text;
            break;
        case json::Value::Type::String:
            // The unit's text may hold any bytes; the reader must get valid UTF-8.
            out += json::Quote(SanitizeUtf8(v.text));
            break;
        case json::Value::Type::Array:
            out += '[';
            for (std::size_t i = 0; i < v.items.size(); ++i) {
                if (i) out += ", ";
                Append(v.items[i], out);
            }
            out += ']';
            break;
        case json::Value::Type::Object:
            out += '{';
            for (std::size_t i = 0; i < v.members.size(); ++i) {
                if (i) out += ", ";
                out += json::Quote(SanitizeUtf8(v.members[i].first));
                out += ": ";
                Append(v.members[i].second, out);
            }
            out += '}';
            break;
    }
}

}  // namespace

bool TakesJson(const std::string& subcommand) {
    return subcommand == "info" || subcommand == "write-config" || subcommand == "write-cards" ||
           subcommand == "compare";
}

std::string WriteJson(const json::Value& value) {
    std::string out;
    Append(value, out);
    return out;
}

void JsonReport::message(const std::string& text, MessageIcon icon) {
    messages_.items.push_back(Object({{"text", String(text)}, {"level", String(Level(icon))}}));
}

void JsonReport::infoLine(const std::string& key, const std::string& value) {
    std::lock_guard lock(unitMutex_);
    Set(unit_, key, String(value));
}

void JsonReport::setComparison(const CompareResult& result) {
    outcome_ = result.outcome == CompareOutcome::Equal       ? "equal"
               : result.outcome == CompareOutcome::Different ? "different"
                                                             : "failed";
    for (const ImageDifference& d : result.differences) {
        differences_.items.push_back(Object({{"item", String(d.label)},
                                             {"unit", String(d.unitValue)},
                                             {"config", String(d.configValue)}}));
    }
}

void JsonReport::write(std::ostream& out, int status) const {
    std::string outcome = outcome_;
    if (outcome.empty()) outcome = status == 0 ? "ok" : "failed";
    json::Value unit;
    {
        std::lock_guard lock(unitMutex_);
        unit = unit_;
    }
    json::Value object = Object({{"command", String(command_)},
                                 {"outcome", String(outcome)},
                                 {"exit", Number(status)},
                                 {"port", String(port_)},
                                 {"unit", std::move(unit)},
                                 {"messages", messages_}});
    if (command_ == "compare") Set(object, "differences", differences_);
    out << WriteJson(object) << "\n" << std::flush;
}

}  // namespace ketrel::cli

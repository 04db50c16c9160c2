#pragma once

#include <iosfwd>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/notifier.h"
#include "config/config_compare.h"
#include "config/config_file_json.h"
#include "link/info_lines.h"

namespace ketrel::cli {

// The subcommands that take --json.
bool TakesJson(const std::string& subcommand);

// What info, write-config, write-cards and compare print with --json: one object on standard
// output, so that a tool configuring many rooms reads the outcome, the unit's information, the
// messages and the differences without parsing the terminal's lines. Its key names are read by
// such tools: keep them.
class JsonReport : public FrameSink {
  public:
    JsonReport(std::string command, std::string port)
        : command_(std::move(command)), port_(std::move(port)) {
        messages_.type = differences_.type = json::Value::Type::Array;
        unit_.type = json::Value::Type::Object;
    }

    void setPort(std::string port) { port_ = std::move(port); }
    // A message of the run, in the order shown.
    void message(const std::string& text, MessageIcon icon);
    // From the receive thread. A key seen again keeps its latest value.
    void infoLine(const std::string& key, const std::string& value) override;
    // compare: "equal", "different" or "failed", and the fields that differ.
    void setComparison(const CompareResult& result);

    // The object on one line. "outcome" follows the exit status unless a comparison set it.
    void write(std::ostream& out, int status) const;

  private:
    std::string command_;
    std::string port_;
    std::string outcome_;
    json::Value messages_;
    json::Value differences_;
    mutable std::mutex unitMutex_;
    json::Value unit_;
};

// The value as JSON text: strings made valid UTF-8 and escaped, everything on one line.
std::string WriteJson(const json::Value& value);

}  // namespace ketrel::cli

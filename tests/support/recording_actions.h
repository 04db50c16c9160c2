#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/pc_actions.h"
#include "link/info_lines.h"
#include "test_support.h"

namespace ketrel::test {

// Records each action and information line as the dry-run output would print it.
class RecordingActions : public PcActions, public FrameSink, public EventLog {
  public:
    void pressKey(PcKey key) override { add(std::string("key ") + PcKeyName(key)); }
    void shutdown() override { add("shutdown"); }
    void restart() override { add("restart"); }
    void openProgram(const std::string& path) override { add("open " + path); }
    void setResolution(int width) override { add("resolution " + std::to_string(width)); }
    void infoLine(const std::string& key, const std::string& value) override {
        add("info " + key + "=" + value);
    }
};

}  // namespace ketrel::test

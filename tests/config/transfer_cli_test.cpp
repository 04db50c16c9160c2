// The write-config and write-cards subcommands against the simulated unit.
#include <gtest/gtest.h>

#include "config/config_file_json.h"
#include "config_test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

// Without --json a transfer prints its message as it would show it; with --json standard output
// holds one object a fleet tool reads, and standard error keeps only the error messages.
TEST(ConfigCli, JsonReportsOutcomeUnitMessagesAndDifferences) {
    sim::UnitSimulator unit;
    ASSERT_TRUE(unit.start());
    test::SuppliedDb db;
    test::InsertCards(db.path, 3);
    const test::Outcome plain = test::RunCli(db.dir.path(), unit.portPath(), "write-config");
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out + "|" + plain.err, "写配置成功，校验成功！\n|");
    unit.setInfo("Model", "KT \"M4\"\t\xff");  // escaped, and valid UTF-8 for the reader
    const std::string refused =
        "写卡失败1！\n单元拒绝或没有确认第 3 块（共 8 块）。请检查连接线和单元电源，然后重新写入。";
    struct Case {
        std::vector<std::string> args;
        int errorAtBlock, corruptByte;
        std::string outcome;
        int status;
        std::string message, level;
    };
    const std::vector<Case> cases = {
        {{"info", "--seconds", "0.3"}, -1, -1, "ok", 0, "", ""},
        {{"write-config"}, -1, -1, "ok", 0, "写配置成功，校验成功！", "info"},
        {{"compare"}, -1, -1, "equal", 0, "", ""},
        {{"compare"}, -1, 0, "different", 1, "", ""},
        {{"write-cards"}, 2, -1, "failed", 1, refused, "error"},
    };
    std::vector<json::Value> docs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.outcome);
        sim::Faults faults;
        faults.errorAtBlock = c.errorAtBlock;
        faults.corruptReadbackByte = c.corruptByte;
        unit.setFaults(faults);
        std::vector<std::string> args(c.args.begin() + 1, c.args.end());
        args.push_back("--json");
        const test::Outcome o = test::RunCli(db.dir.path(), unit.portPath(), c.args[0], args);
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.err, c.level == "error" ? c.message + "\n" : "");
        json::ParseError error;
        const std::optional<json::Value> doc = json::Parse(o.out, &error);
        ASSERT_TRUE(doc && doc->isObject() && o.out.ends_with("}\n")) << error.message << o.out;
        EXPECT_EQ(doc->find("command")->text, c.args[0]);
        EXPECT_EQ(doc->find("outcome")->text, c.outcome);
        EXPECT_EQ(doc->find("exit")->text, std::to_string(c.status));
        EXPECT_EQ(doc->find("port")->text, unit.portPath());
        const std::vector<json::Value>& messages = doc->find("messages")->items;
        ASSERT_EQ(messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(messages[0].find("text")->text, c.message);
            EXPECT_EQ(messages[0].find("level")->text, c.level);
        }
        docs.push_back(*doc);
    }
    EXPECT_EQ(docs[0].find("unit")->find("Model")->text, "KT \"M4\"\t\uFFFD");
    EXPECT_TRUE(docs[2].find("differences")->items.empty());
    const std::vector<json::Value>& differences = docs[3].find("differences")->items;
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].find("item")->text, "串口通道 1（串口1，投影机）发码 1「PowerOn」");
    EXPECT_EQ(differences[0].find("config")->text, "A5 01 01 00 A7");
    EXPECT_NE(differences[0].find("unit")->text, "A5 01 01 00 A7");
}

}  // namespace
}  // namespace ketrel

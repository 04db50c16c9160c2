// Export and import of the configuration file: a round trip reproduces the database exactly, and
// a file with a bad value changes nothing and says where the value is.
#include <gtest/gtest.h>

#include "config/config_file.h"
#include "config/config_file_texts.h"
#include "config_test_support.h"
#include "files_test_support.h"

namespace ketrel {
namespace {

using test::RawExec;
using test::ReadFile;
using test::TableDump;
using test::WriteFile;

// Values the supplied database does not hold: text the quoting must survive, non-ASCII text,
// cards in an order that is not sorted.
void MakeUnusual(const std::string& path) {
    RawExec(path,
            "update SPChannel set Model = '会议室 \"A\" 的投影机 It''s \\n' where SPNumber = 2;"
            "update SPChannel set Protocol = '57600,Odd,7,2' where SPNumber = 4;"
            "update SPTxCode set CodeName = '开机''\"', Code = 'a5 0F 10' where ID = 12;"
            "update IRChannel set Protocol = 'RC-5', Model = '空调😀';"
            "update IRTxCode set Code = '' where ID = 1;"
            "update KeyCode set KeyName = 'Tab\tKey', Code5 = '59' where Id = 9;"
            "update SystemConfig set Value = '蓝牙名称' where Name = 'BLEName';"
            "update SystemConfig set Value = '0123456789ABCDEF' where Name = 'DeviceId';"
            "update SystemConfig set Value = '' where Name = 'DbVersion';"
            "insert into Card(ID,Enter,Leave) values('900',1,2);"
            "insert into Card(ID,Enter,Leave) values('0000123',7,8);"
            "insert into Card(ID,Enter,Leave) values('12',9,0);");
}

class ConfigFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(source.created && target.created); }

    std::string exportText() {
        const std::string file = source.dir.file("room.json");
        EXPECT_TRUE(ExportConfiguration(source.path, file, notifier))
            << ::testing::PrintToString(notifier.texts());
        return ReadFile(file);
    }

    test::SuppliedDb source;
    test::SuppliedDb target;
    test::RecordingNotifier notifier;
};

TEST_F(ConfigFileTest, RoundTripReproducesEveryTableExactly) {
    MakeUnusual(source.path);
    // The target differs everywhere the import has to change something.
    RawExec(target.path,
            "update SPTxCode set Code = 'FF' ;update SystemConfig set Value = '7' where ID = 30;"
            "insert into Card(ID,Enter,Leave) values('1',0,0);");
    const std::string text = exportText();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(texts::kExportDone) + "\n" +
                                                         source.dir.file("room.json")});
    EXPECT_NE(text.find("会议室 \\\"A\\\" 的投影机 It's \\\\n"), std::string::npos) << text;

    const std::string file = target.dir.file("room.json");
    WriteFile(file, text);
    notifier.clear();
    ASSERT_TRUE(ImportConfiguration(target.path, file, notifier))
        << ::testing::PrintToString(notifier.texts());
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{std::string(texts::kImportDone) + "\n" + file});

    // Every table, row for row in table order, each value with its storage type.
    for (const TableSpec& definition : ConfigTableSpecs()) {
        EXPECT_EQ(TableDump(target.path, definition.name), TableDump(source.path, definition.name))
            << definition.name;
    }
    // And the file made from the result is the same file.
    const std::string again = target.dir.file("again.json");
    ASSERT_TRUE(ExportConfiguration(target.path, again, notifier));
    EXPECT_EQ(ReadFile(again), text);
}

// Rooms keep the file in version control: its layout, escapes and last newline stay as they are.
TEST(ConfigFileFormat, WritesTheSameBytes) {
    ConfigTables tables(2);
    tables[0].name = "IRChannel";
    tables[0].columns = {"IRNumber", "Model"};
    tables[0].rows = {{"1", "空调\b\f\x7F\x01\"\\/\n\r\t"}, {"2", ""}};
    tables[1].name = "Card";
    tables[1].columns = {"ID"};
    EXPECT_EQ(FormatConfigFile(tables), R"({
  "format": "ketrel-config",
  "version": 1,
  "tables": {
    "IRChannel": {
      "columns": ["IRNumber", "Model"],
      "rows": [
        ["1", "空调\u0008\u000C\u007F\u0001\"\\/\n\r\t"],
        ["2", ""]
      ]
    },
    "Card": {
      "columns": ["ID"],
      "rows": []
    }
  }
}
)");
}

struct BadCase {
    const char* what;
    const char* from;  // text of the exported file to replace (first occurrence)
    const char* to;
    const char* place;  // what the message must name
};

const BadCase kBadCases[] = {
    {"single-digit byte", "\"A5 01 10 01 B7\"", "\"A5 1 10 01 B7\"",
     "文件第 59 行，SPTxCode 表第 3 行，Code 列：发码须为"},
    {"33 bytes", "\"2A 31 56 31 23\"",
     "\"00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B "
     "1C 1D 1E 1F 20\"",
     "SPTxCode 表第 13 行，Code 列"},
    {"not hex", "\"00 FF 13 EC\"", "\"00 FF 13 EG\"", "IRTxCode 表第 2 行，Code 列"},
    {"unknown baud rate", "\"9600,None,8,1\"", "\"9601,None,8,1\"",
     "SPChannel 表第 1 行，Protocol 列：不支持的波特率“9601”"},
    {"parity in lower case", "\"9600,Even,8,1\"", "\"9600,even,8,1\"",
     "SPChannel 表第 3 行，Protocol 列：校验位"},
    {"three settings", "\"19200,None,8,1\"", "\"19200,None,8\"",
     "SPChannel 表第 2 行，Protocol 列"},
    {"infrared protocol", "\"NEC\"", "\"nec\"", "IRChannel 表第 1 行，Protocol 列"},
    {"address", "\"192.168.1.100\"", "\"192.168.1\"",
     "SystemConfig 表第 19 行，Value 列：IPAddress"},
    {"action index", "[\"12\", \"GACEnterFunc\", \"1\"]", "[\"12\", \"GACEnterFunc\", \"10\"]",
     "SystemConfig 表第 12 行，Value 列：GACEnterFunc：动作应为"},
    {"delay too long", "[\"4\", \"PowerOnDly\", \"3\"]", "[\"4\", \"PowerOnDly\", \"3601\"]",
     "SystemConfig 表第 4 行，Value 列：PowerOnDly"},
    {"device id", "[\"13\", \"DeviceId\", \"\"]", "[\"13\", \"DeviceId\", \"12345\"]",
     "SystemConfig 表第 13 行，Value 列：DeviceId"},
    {"DHCP", "[\"18\", \"DHCP\", \"1\"]", "[\"18\", \"DHCP\", \"yes\"]",
     "SystemConfig 表第 18 行，Value 列"},
    {"address at a byte position", "[\"7\", \"MaxVolume\", \"12\"]",
     "[\"7\", \"IPAddress\", \"1.2.3.4\"]",
     "SystemConfig 表第 7 行，Name 列：设置项 IPAddress 不能放在第 7 行"},
    {"key group", "[\"4\", \"笔记本\", \"14\", \"00\"", "[\"4\", \"笔记本\", \"14\", \"65\"",
     "KeyCode 表第 4 行，Code2 列：控制码组"},
    {"channel of a code", "[\"1\", \"1\", \"PowerOn\"", "[\"1\", \"2\", \"PowerOn\"",
     "SPTxCode 表第 1 行，SPNumber 列"},
    {"rows out of order", "[\"2\", \"1\", \"PowerOff\"", "[\"99\", \"1\", \"PowerOff\"",
     "SPTxCode 表第 3 行，ID 列"},
    {"a number not written as text", "[\"7\", \"MaxVolume\", \"12\"]", "[\"7\", \"MaxVolume\", 12]",
     "文件第 14 行，SystemConfig 表第 7 行，Value 列：值应为文本"},
    {"a row short", "[\"9\", \"幕布\", \"30\", \"00\", \"00\", \"00\", \"00\"]",
     "[\"9\", \"幕布\", \"30\", \"00\", \"00\", \"00\"]",
     "KeyCode 表第 9 行：该行应有 7 个值，实有 6 个"},
    {"a row missing", "        [\"33\", \"4\", \"VGA\", \"\"],\n", "",
     "文件第 54 行，SPTxCode 表：应有 40 行，实有 39 行"},
    {"a column renamed", "[\"ID\", \"Name\", \"Value\"]", "[\"ID\", \"Key\", \"Value\"]",
     "SystemConfig 表：列名或列的顺序不对"},
    {"a table missing", "\"Card\": {", "\"Cards\": {", "未知的表 \"Cards\""},
    {"card action", "\"rows\": []", "\"rows\": [[\"1\", \"0\", \"0\"], [\"2\", \"12\", \"0\"]]",
     "Card 表第 2 行，Enter 列：动作应为"},
    {"card number", "\"rows\": []", "\"rows\": [[\"12a\", \"0\", \"0\"]]", "Card 表第 1 行，ID 列"},
    {"card twice", "\"rows\": []", "\"rows\": [[\"77\", \"0\", \"0\"], [\"77\", \"1\", \"1\"]]",
     "Card 表第 2 行，ID 列：卡号 77 重复（与第 1 行相同）"},
    {"a zero character", "\"投影机\"", "\"投影\\u0000机\"",
     "SPChannel 表第 1 行，Model 列：文本中不能含有零字符"},
    {"newer version", "\"version\": 1", "\"version\": 2", "文件第 3 行：该文件的格式版本为 2"},
    {"another file", "\"ketrel-config\"", "\"something-else\"", "这不是本程序的配置文件"},
    {"syntax", "\"columns\": [\"SPNumber\",", "\"columns\": [\"SPNumber\"",
     "文件第 46 行：JSON 格式错误"},
};

TEST_F(ConfigFileTest, AFileWithOneBadValueChangesNothingAndNamesThePlace) {
    const std::string good = exportText();
    for (const BadCase& c : kBadCases) {
        SCOPED_TRACE(c.what);
        std::string text = good;
        const std::size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::string_view(c.from).size(), c.to);
        const std::string file = target.dir.file("bad.json");
        WriteFile(file, text);

        const std::string before = ReadFile(target.path);
        notifier.clear();
        EXPECT_FALSE(ImportConfiguration(target.path, file, notifier));
        EXPECT_EQ(ReadFile(target.path), before);
        const auto messages = notifier.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(texts::kImportRefused, 0), 0u) << messages[0].text;
        EXPECT_NE(messages[0].text.find(c.place), std::string::npos) << messages[0].text;
        EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    }
}

TEST_F(ConfigFileTest, EveryProblemOfAFileIsListed) {
    std::string text = exportText();
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"\"A5 01 10 01 B7\"", "\"A5 1\""},
             {"\"9600,Even,8,1\"", "\"9600,even,8,1\""},
             {"\"192.168.1.10\"]", "\"192.168.1.1000\"]"}}) {
        text.replace(text.find(from), from.size(), to);
    }
    FileProblems problems;
    const auto tables = ParseConfigFile(text, problems);
    ASSERT_TRUE(tables);
    ValidateConfigTables(*tables, problems);
    ASSERT_EQ(problems.size(), 3u) << DescribeProblems(problems);
    EXPECT_EQ(problems[0].table, "SystemConfig");
    EXPECT_EQ(problems[0].row, 23);
    EXPECT_EQ(problems[1].table, "SPChannel");
    EXPECT_EQ(problems[2].table, "SPTxCode");
    EXPECT_EQ(problems[2].column, "Code");
    EXPECT_EQ(problems[2].line, 59);
}

TEST_F(ConfigFileTest, AFailedWriteRollsEverythingBack) {
    const std::string file = source.dir.file("room.json");
    exportText();
    // The file is right, but this database cannot take the card rows: every table before Card
    // was already replaced inside the transaction when the insert fails.
    RawExec(target.path, "drop table Card; create table Card (ID TEXT NOT NULL);");
    const std::string before = ReadFile(target.path);
    const std::string sysBefore = TableDump(target.path, "SystemConfig");
    notifier.clear();
    EXPECT_FALSE(ImportConfiguration(target.path, file, notifier));
    EXPECT_EQ(ReadFile(target.path), before);
    EXPECT_EQ(TableDump(target.path, "SystemConfig"), sysBefore);
    ASSERT_EQ(notifier.texts().size(), 1u);
    EXPECT_NE(notifier.texts()[0].find(texts::kImportFailed), std::string::npos);
    EXPECT_NE(notifier.texts()[0].find("sqlite3_exec for Card error!!!"), std::string::npos)
        << notifier.texts()[0];
}

TEST_F(ConfigFileTest, ExportOfADatabaseThatWouldNotImportWarns) {
    RawExec(source.path, "update SPTxCode set Code = 'ZZ' where ID = 5;");
    const std::string text = exportText();
    EXPECT_NE(text.find("\"ZZ\""), std::string::npos);
    const auto messages = notifier.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_NE(messages[0].text.find("SPTxCode 表第 5 行，Code 列"), std::string::npos)
        << messages[0].text;
    EXPECT_EQ(messages[1].icon, MessageIcon::Information);
}

TEST_F(ConfigFileTest, FailuresOfTheFilesThemselves) {
    // An export that cannot write leaves nothing behind, not even its temporary file.
    const std::string missingDir = source.dir.file("no/such/dir/room.json");
    EXPECT_FALSE(ExportConfiguration(source.path, missingDir, notifier));
    EXPECT_NE(notifier.texts().back().find(texts::kExportFailed), std::string::npos);

    // An export over an older file replaces it whole.
    const std::string file = source.dir.file("room.json");
    WriteFile(file, "old content that is longer than nothing");
    EXPECT_TRUE(ExportConfiguration(source.path, file, notifier));
    EXPECT_EQ(ReadFile(file).rfind("{\n  \"format\"", 0), 0u);
    const std::filesystem::directory_iterator entries(source.dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2);  // CONFIG and room.json

    notifier.clear();
    EXPECT_FALSE(ImportConfiguration(target.path, target.dir.file("missing.json"), notifier));
    EXPECT_NE(notifier.texts().at(0).find(texts::kImportReadFailed), std::string::npos);

    // A database that is not there is reported, not made.
    EXPECT_FALSE(ExportConfiguration(source.dir.file("NOCONFIG"), file, notifier));
    EXPECT_NE(notifier.texts().back().find("sqlite3_open for config error!!!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(source.dir.file("NOCONFIG")));
}

}  // namespace
}  // namespace ketrel

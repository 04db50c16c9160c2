// The command line as a user or a script runs it, against the simulator executable and against
// hostile input. Every run ends in bounded time with its status and message, and leaves CONFIG
// as it was unless it succeeded.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "../platform/child.h"
#include "../projector/projector_test_support.h"
#include "config/supplied_database.h"
#include "test_support.h"

namespace ketrel {
namespace {

using namespace std::chrono_literals;
using projector::test::ExecSql;
using projector::test::ReadFile;
using projector::test::WriteFile;
using test::Child;

struct Outcome {
    int status;       // 137: still running when its time was up, and killed
    std::string out;  // its standard output and error
};

// A fresh CONFIG, and the simulated unit on a pseudo-terminal.
class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateSuppliedDatabase(config, &error)) << error;
        port = unit.readLine();
        ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << "first line: " << port;
    }
    std::vector<std::string> argv(std::vector<std::string> args) const {
        args.insert(args.begin(), {KETREL_EXE, "--dir", dir.path()});
        return args;
    }
    Outcome run(const std::vector<std::string>& args) {
        Child p(argv(args), true);
        Outcome o;
        o.status = p.finish(&o.out);
        return o;
    }
    // A command that must refuse: its status, its words, and CONFIG as it was.
    void expectRefused(const std::vector<std::string>& args, const std::string& words) {
        const std::string before = ReadFile(config);
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 1) << o.out;
        EXPECT_NE(o.out.find(words), std::string::npos) << o.out;
        EXPECT_EQ(ReadFile(config), before) << "CONFIG was changed";
    }

    test::TempDir dir;
    const std::string config = dir.file("CONFIG");
    Child unit{{UNITSIM_EXE, "--baud", "0"}};
    std::string port;
};

TEST_F(Cli, ListenDryRunPrintsEachActionAsItHappens) {
    Child listen(argv({"--port", port, "listen", "--dry-run"}));
    // The unit's lines are heard only once the port is open; wait for one to come through.
    bool listening = false;
    for (int i = 0; i < 100 && !listening; ++i) {
        unit.write("frame Model=ready\n");
        listening = listen.readLine(100ms) == "info Model=ready";
    }
    ASSERT_TRUE(listening);
    while (!listen.readLine(50ms).empty()) {
    }
    // The listener holds the port, so a second program cannot open it.
    EXPECT_EQ(run({"--port", port, "info", "--seconds", "0"}).status, 1);
    unit.write("pc ComputerPageDown\n");
    EXPECT_EQ(listen.readLine(), "key PageDown");
    unit.write(
        "frame ChangeResolution1920_720\nswipe 0000123\nframe Model =bad\n"
        "frame ComputerShutdown\n");
    EXPECT_EQ(listen.readLine(), "resolution 1920x720");
    EXPECT_EQ(listen.readLine(), "info IDNumber=0000123");
    EXPECT_EQ(listen.readLine(), "shutdown");
    EXPECT_EQ(listen.signalAndWait(SIGTERM), 0);
}

TEST_F(Cli, ExitStatuses) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {argv({"--port", "/dev/ketrel-none", "info"}), 1},
        {argv({"frobnicate"}), 2},
        {argv({"info", "--seconds", "x"}), 2},
        {argv({"listen", "--loud"}), 2},
        {{KETREL_EXE, "--port"}, 2},
        {{KETREL_EXE, "--help"}, 0},
        {{KETREL_EXE, "--version"}, 0},
    };
    for (const auto& [args, status] : cases) EXPECT_EQ(Child(args).finish(), status) << args.back();
}

// A view that never ends in a table's place, a table with its columns missing or reordered:
// every command that reads CONFIG refuses it, and nothing reaches the unit.
TEST_F(Cli, CraftedDatabases) {
    const std::string endless =
        "drop table SPTxCode; create view SPTxCode as with recursive r(x) as (select 1 union "
        "all select x + 1 from r) select x as ID, 1 as SPNumber, 'a' as CodeName, '' as Code "
        "from r;";
    const std::string reordered =
        "create table t as select ID, SPNumber, Code, CodeName from SPTxCode; drop table "
        "SPTxCode; alter table t rename to SPTxCode;";
    const struct {
        const std::string* sql;
        std::vector<std::string> args;
        const char* words;
    } rows[] = {
        {&endless, {"image"}, "sqlite3_get_table for SPTxCode error!!!\n提取数据失败！"},
        {&endless, {"export", dir.file("out.json")}, "导出配置失败！"},
        {&endless, {"--port", port, "--log", dir.file("log"), "write-config"}, "提取数据失败！"},
        {&reordered, {"image"}, "列名或列的顺序不对，应为：ID, SPNumber, CodeName, Code"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args.back());
        ASSERT_TRUE(CreateSuppliedDatabase(config + ".new", nullptr));
        std::filesystem::rename(config + ".new", config);
        ExecSql(config, *r.sql);
        std::filesystem::remove(dir.file("log"));
        expectRefused(r.args, r.words);
        EXPECT_EQ(ReadFile(dir.file("log")).find(" TX "), std::string::npos) << "a line was sent";
    }
}

// Import files that are too large, not files, quadratic to check, hold one card twice under two
// spellings, or target a database with triggers.
TEST_F(Cli, CraftedImports) {
    const std::string big = dir.file("big.json"), fifo = dir.file("fifo.json");
    WriteFile(big, std::string((16u << 20) + 1, ' '));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string members = "{\"format\": \"ketrel-config\"";
    for (int i = 0; i < 300000; ++i) members += ",\"m" + std::to_string(i) + "\": 1";
    WriteFile(dir.file("members.json"), members + ",\"m7\": 1}");
    const std::string cards = dir.file("cards.json");
    ExecSql(config, "insert into Card values('123', 1, 2); insert into Card values('0123', 1, 2);");
    ASSERT_EQ(run({"export", cards}).status, 0);
    ExecSql(config, "delete from Card;");
    const struct {
        std::string file;
        const char* words;
    } rows[] = {
        {big, "文件太大"},
        {fifo, "不是普通文件"},
        {dir.file("members.json"), "名称重复"},
        {cards, "卡号 0123 与第 1 行的 123 是同一张卡"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        expectRefused({"import", r.file}, r.words);
    }
    // A trigger would run on every row written: the import refuses the database.
    ASSERT_EQ(run({"export", dir.file("good.json")}).status, 0);
    ExecSql(config,
            "create table Seen(x); create trigger t after insert on Card begin insert into "
            "Seen values(1); end;");
    expectRefused({"import", dir.file("good.json")}, "数据库中含有触发器");
}

// What the program writes goes whole to a regular file: through a link to its target, never
// over a FIFO, a directory or the database in use; "-" is standard output.
TEST_F(Cli, OutputPaths) {
    const std::string shared = dir.file("shared.json"), link = dir.file("link.json");
    WriteFile(shared, "old");
    ASSERT_EQ(symlink(shared.c_str(), link.c_str()), 0);
    Outcome o = run({"export", link});
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_EQ(ReadFile(shared).rfind("{", 0), 0u) << "the file the link names gets the export";
    struct stat st {};
    EXPECT_TRUE(lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << "the link stays a link";

    o = run({"export", "-"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, ReadFile(shared));

    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"export", fifo},
                                               {"image", "--out", fifo},
                                               {"image", "--out", dir.path()},
                                               {"export", config},
                                               {"image", "--out", config},
                                               {"--log", fifo, "image"}}) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        expectRefused(args, args[0] == "export" ? "导出配置失败！" : "cannot write");
        EXPECT_TRUE(stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    }

    // config.ini in the shape of a FIFO: the defaults, at once.
    ASSERT_EQ(mkfifo(dir.file("config.ini").c_str(), 0600), 0);
    o = run({"image"});
    EXPECT_EQ(o.status, 0) << o.out;
}

// The unit's text cannot forge a line or reach the terminal as an escape sequence; a byte-order
// mark does not hide config.ini's port.
TEST_F(Cli, TheUnitsTextOnTheTerminal) {
    Child linked{{UNITSIM_EXE, "--baud", "0", "--link", dir.file("unit")}};
    ASSERT_FALSE(linked.readLine().empty());
    WriteFile(dir.file("config.ini"),
              "\xEF\xBB\xBF[Setup]\r\nPortName=" + dir.file("unit") + "\r\n");
    Child info(argv({"info", "--seconds", "1"}));
    // The unit's own text must come after the program asked, or the open's purge takes it: a
    // fixed wait lost that race to a slow (sanitized) start.
    bool asked = false;
    for (int i = 0; i < 100 && !asked; ++i) {
        linked.write("lines\n");
        asked = linked.readLine(50ms) == "GetInfo";
    }
    ASSERT_TRUE(asked) << "the program never asked the unit";
    const std::string payload = "Model=X\nshutdown\x1b]0;owned\x07\xff";
    std::string hex = "7B";
    for (std::size_t i = 0; i < 62; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X",
                      i < payload.size() ? static_cast<unsigned char>(payload[i]) : 0);
        hex += byte;
    }
    linked.write("raw " + hex + " 7D\n");
    std::string out;
    EXPECT_EQ(info.finish(&out), 0);
    EXPECT_NE(out.find("Model=KT-M4\n"), std::string::npos) << "the port of config.ini: " << out;
    EXPECT_NE(out.find("\nModel=X\\nshutdown\\x1b]0;owned\\x07\xEF\xBF\xBD\n"), std::string::npos)
        << out;
}

// Standard output a pipe nobody reads while the unit keeps talking: a signal still ends listen
// within a second, and info ends after its time.
TEST_F(Cli, AReaderThatStopsReading) {
    for (const bool listen : {true, false}) {
        SCOPED_TRACE(listen ? "listen" : "info");
        Child talker{{UNITSIM_EXE, "--baud", "0"}};
        std::vector<std::string> args = {"--port", talker.readLine()};
        if (listen) {
            args.insert(args.end(), {"listen", "--dry-run"});
        } else {
            args.insert(args.end(), {"info", "--seconds", "1"});
        }
        Child program(argv(args));
        std::this_thread::sleep_for(300ms);
        // More than a pipe holds (64 KiB): the program's receive thread is left stuck writing.
        const std::string frame =
            listen ? "pc ComputerPageDown\n" : "frame Model=" + std::string(48, 'M') + "\n";
        for (int i = 0; i < (listen ? 6000 : 1500); ++i) talker.write(frame);
        std::this_thread::sleep_for(1000ms);
        if (listen) kill(program.pid(), SIGTERM);
        EXPECT_TRUE(program.exitedWithin(3s)) << "still running";
    }
}

}  // namespace
}  // namespace ketrel

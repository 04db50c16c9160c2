// The listing and import of the projector dialog, against a configuration database made from
// the supplied schema in a temporary directory, with the library in either format.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "config/channel_store.h"
#include "config/supplied_database.h"
#include "projector/projector_import.h"
#include "projector/projector_texts.h"
#include "projector_test_support.h"
#include "test_support.h"

namespace ketrel::projector {
namespace {

using ketrel::test::RecordingNotifier;
using test::ExecSql;
using test::FixturePath;
using test::QueryRows;
using test::ReadBytes;
using test::WriteBytes;

const std::string kAlphaOn = "BE EF 03 06 00 BA D2 01 00 00 60 01 00";
const std::string kAlphaOff = "BE EF 03 06 00 2A D3 01 00 00 60 00 00";
const std::string kAlphaVga = "BE EF 03 06 00 FE D2 01 00 00 20 00 00";
const std::string kAlphaVideo = "BE EF 03 06 00 6E D3 01 00 00 20 01 00";
const std::string kAlphaX2Hdmi = "BE EF 03 06 00 0E D2 01 00 00 20 03 00";

constexpr int kChannel = 1;

// The configuration database the program ships, made the way the program makes it.
void MakeConfig(const std::string& path) {
    std::string error;
    if (!CreateSuppliedDatabase(path, &error)) throw std::runtime_error(error);
}

// A snapshot of what the import may touch, and of everything it must not.
struct ConfigSnapshot {
    std::vector<std::string> codes;     // SPTxCode, every row
    std::vector<std::string> channels;  // SPChannel, every row
    bool operator==(const ConfigSnapshot&) const = default;
};

ConfigSnapshot Snapshot(const std::string& path) {
    return {QueryRows(path, "select * from SPTxCode order by ID"),
            QueryRows(path, "select * from SPChannel order by SPNumber")};
}

// The snapshot an import of these codes, protocol and model into the channel should leave: the
// same changes made by hand on a copy of the database as it was.
ConfigSnapshot AfterImport(const std::string& config, const std::string& copy, int channel,
                           const std::map<std::string, std::string>& codes,
                           const std::string& protocol, const std::string& model) {
    std::filesystem::copy_file(config, copy, std::filesystem::copy_options::overwrite_existing);
    const std::string sp = std::to_string(channel);
    const auto quoted = [](std::string text) {
        for (std::size_t at = text.find('\''); at != std::string::npos;
             at = text.find('\'', at + 2))
            text.insert(at, 1, '\'');
        return "'" + text + "'";
    };
    for (const auto& [name, code] : codes) {
        ExecSql(copy, "update SPTxCode set Code = '" + code + "' where SPNumber = " + sp +
                          " and CodeName = '" + name + "'");
    }
    ExecSql(copy, "update SPChannel set Protocol = " + quoted(protocol) +
                      ", Model = " + quoted(model) + " where SPNumber = " + sp);
    return Snapshot(copy);
}

const std::map<std::string, std::string> kAlphaCodes = {
    {"PowerOn", kAlphaOn}, {"PowerOff", kAlphaOff}, {"VGA", kAlphaVga}, {"Video", kAlphaVideo}};

class ProjectorImportTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        WriteBytes(devices_, ReadBytes(FixturePath(GetParam())));
        MakeConfig(config_);
    }

    // The one message of a refused import, and the configuration left as it was.
    void ExpectRefused(const char* text, const ConfigSnapshot& before, const std::string& what) {
        EXPECT_FALSE(import_.Import(channel_)) << what;
        ASSERT_EQ(notifier_.messages().size(), 1u) << what;
        EXPECT_EQ(notifier_.messages()[0].text, text) << what;
        EXPECT_EQ(notifier_.messages()[0].caption, "提示");
        EXPECT_EQ(notifier_.messages()[0].icon, MessageIcon::Error);
        EXPECT_EQ(Snapshot(config_), before) << what;
    }

    // Chooses brand and model the way the dialog's clicks do.
    void Choose(const std::string& brand, const std::string& model) {
        import_.Open();
        import_.BrandClicked(brand);
        import_.ModelClicked(model);
    }

    ketrel::test::TempDir dir_;
    std::string devices_ = dir_.file("DEVICES");
    std::string config_ = dir_.file("CONFIG");
    RecordingNotifier notifier_;
    std::unique_ptr<DeviceLibraryReader> library_ = MakeDeviceLibrary(devices_);
    ProjectorImport import_{*library_, notifier_, kChannel};
    StoredSerialChannel channel_{config_, kChannel, notifier_};
};

TEST_P(ProjectorImportTest, ImportWritesTheModelsCodesProtocolAndName) {
    struct Case {
        std::string brand, model, protocol, name;
        std::map<std::string, std::string> codes;
    };
    const std::vector<Case> cases = {
        {"Alpha", "X1'S", "9600,None,8,1", "Alpha-X1'S", kAlphaCodes},
        // X2 has an HDMI code; it never reaches the channel (its HDMI rows stay as they were).
        {"Alpha", "X2", "19200,None,8,1", "Alpha-X2", kAlphaCodes},
        {"示例",
         "投影机A",
         "9600,None,8,1",
         "示例-投影机A",
         {{"PowerOn", "AA BB 01 00 01 CC"},
          {"PowerOff", "AA BB 01 00 00 CC"},
          {"VGA", "AA BB 02 00 01 CC"},
          {"Video", "AA BB 02 00 02 CC"}}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(config_);
        MakeConfig(config_);
        const ConfigSnapshot expected =
            AfterImport(config_, dir_.file("EXPECTED"), kChannel, c.codes, c.protocol, c.name);
        Choose(c.brand, c.model);
        ASSERT_TRUE(import_.Import(channel_)) << c.name;
        EXPECT_TRUE(notifier_.messages().empty()) << c.name;
        EXPECT_EQ(Snapshot(config_), expected) << c.name;
    }
    const auto all = QueryRows(config_, "select Code from SPTxCode");
    EXPECT_EQ(std::count(all.begin(), all.end(), kAlphaX2Hdmi), 0);
}

TEST_P(ProjectorImportTest, AChannelLackingACodeStopsThereAndChangesNothing) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"delete from SPTxCode where SPNumber = 1 and CodeName = 'PowerOn'", texts::kNoPowerOn},
        // Two rows of one name are not "the" code either.
        {"insert into SPTxCode (ID, SPNumber, CodeName, Code) values (900, 1, 'VGA', '')",
         texts::kNoVGA},
        // The first three would be written by a check-as-you-go import.
        {"delete from SPTxCode where SPNumber = 1 and CodeName = 'Video'", texts::kNoVideo},
        {"update SPTxCode set CodeName = 'video' where SPNumber = 1 and CodeName = 'Video'",
         texts::kNoVideo},
    };
    for (const auto& [change, text] : cases) {
        std::filesystem::remove(config_);
        MakeConfig(config_);
        ExecSql(config_, change);
        const ConfigSnapshot before = Snapshot(config_);
        notifier_.clear();
        Choose("Alpha", "X1");
        ExpectRefused(text, before, text);
    }
}

TEST_P(ProjectorImportTest, ImportWithoutAChosenModelChangesNothing) {
    const ConfigSnapshot before = Snapshot(config_);
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"nothing chosen", [&] { import_.Open(); }},
        {"brand only", [&] { import_.BrandClicked("Alpha"); }},
        {"model click left nothing selected",
         [&] {
             Choose("Alpha", "X1");
             import_.ModelClicked(std::nullopt);
         }},
        {"brand list click left nothing selected",
         [&] {
             Choose("Alpha", "X1");
             import_.BrandClicked(std::nullopt);
         }},
        // Another brand after a model: the old model's codes must not go out under the new
        // brand's name.
        {"brand changed after the model",
         [&] {
             Choose("Alpha", "X1");
             import_.BrandClicked("Beta");
         }},
    };
    for (const auto& [what, steps] : cases) {
        notifier_.clear();
        steps();
        ExpectRefused(texts::kChooseBrandModel, before, what);
    }
}

TEST_P(ProjectorImportTest, ALibraryGoneBeforeTheModelClickWritesNothing) {
    const ConfigSnapshot before = Snapshot(config_);
    import_.Open();
    import_.BrandClicked("Alpha");
    std::filesystem::remove(devices_);
    import_.ModelClicked("X1");
    EXPECT_EQ(notifier_.texts(),
              (std::vector<std::string>{texts::kConnectFailed, texts::kOpenFailed}));
    notifier_.clear();
    EXPECT_FALSE(import_.Import(channel_));
    EXPECT_EQ(notifier_.texts(), (std::vector<std::string>{texts::kChooseBrandModel}));
    EXPECT_EQ(Snapshot(config_), before);
}

TEST_P(ProjectorImportTest, AFailedChannelStatementShowsItsMessageAndTheRestStillRuns) {
    ExecSql(config_, "drop table SPChannel");
    Choose("Alpha", "X1");
    EXPECT_TRUE(import_.Import(channel_));
    EXPECT_EQ(notifier_.texts(), (std::vector<std::string>{"sqlite3_exec for SPChannel error!!!"}));
    EXPECT_EQ(notifier_.messages()[0].caption, "");
    EXPECT_EQ(
        QueryRows(config_, "select Code from SPTxCode where SPNumber = 1 and CodeName = 'Video'"),
        std::vector<std::string>{kAlphaVideo});
}

TEST_P(ProjectorImportTest, AMissingConfigurationIsNotCreated) {
    std::filesystem::remove(config_);
    Choose("Alpha", "X1");
    EXPECT_FALSE(import_.Import(channel_));
    EXPECT_EQ(notifier_.texts(), (std::vector<std::string>{texts::kNoPowerOn}));
    EXPECT_FALSE(std::filesystem::exists(config_));
}

INSTANTIATE_TEST_SUITE_P(Libraries, ProjectorImportTest,
                         ::testing::Values("DEVICES.sqlite", "DEVICES.mdb"), [](const auto& info) {
                             return std::string(info.param).ends_with("mdb") ? "Access" : "Sqlite";
                         });

// The operations the import calls on the channel editor, in order, with their arguments.
class RecordingChannel : public SerialChannelOperations {
  public:
    bool HasCode(const std::string& name) override {
        calls.push_back("HasCode " + name);
        return true;
    }
    bool SetCodeByName(const std::string& name, const std::string& code) override {
        calls.push_back("SetCodeByName " + name + "=" + code);
        return true;
    }
    bool SaveChannelSettings(int sp, const std::string& protocol,
                             const std::string& model) override {
        calls.push_back("SaveChannelSettings " + std::to_string(sp) + " " + protocol + " " + model);
        return true;
    }
    void LoadCodes(int sp) override { calls.push_back("LoadCodes " + std::to_string(sp)); }
    void LoadChannel(int sp) override { calls.push_back("LoadChannel " + std::to_string(sp)); }

    std::vector<std::string> calls;
};

class ImportSequenceTest : public ::testing::Test {
  protected:
    ImportSequenceTest() { WriteBytes(devices_, ReadBytes(FixturePath("DEVICES.sqlite"))); }
    ketrel::test::TempDir dir_;
    std::string devices_ = dir_.file("DEVICES");
    RecordingNotifier notifier_;
    std::unique_ptr<DeviceLibraryReader> library_ = MakeDeviceLibrary(devices_);
};

TEST_F(ImportSequenceTest, ChecksAllFourThenWritesAndRedisplaysTheChannel) {
    ProjectorImport import(*library_, notifier_, 3);
    import.Open();
    import.BrandClicked("Beta");
    import.ModelClicked("B100");
    RecordingChannel channel;
    EXPECT_TRUE(import.Import(channel));
    EXPECT_EQ(channel.calls, (std::vector<std::string>{
                                 "HasCode PowerOn",
                                 "HasCode PowerOff",
                                 "HasCode VGA",
                                 "HasCode Video",
                                 "SetCodeByName PowerOn=02 00 00 00 00 02",
                                 "SetCodeByName PowerOff=02 01 00 00 00 03",
                                 "SetCodeByName VGA=02 03 00 00 02 01 01 09",
                                 "SetCodeByName Video=02 03 00 00 02 01 06 0E",
                                 "SaveChannelSettings 3 9600,Even,8,1 Beta-B100",
                                 "LoadCodes 3",
                                 "LoadChannel 3",
                             }));
}

TEST_F(ImportSequenceTest, SeveralRowsOfOneModelImportTheLastOne) {
    ExecSql(devices_,
            "insert into Device values ('Beta', 'B100', 'again', '4800,None,8,1', '01', '02', "
            "'03', '04', '05')");
    ProjectorImport import(*library_, notifier_, 1);
    import.Open();
    import.BrandClicked("Beta");
    import.ModelClicked("B100");
    ASSERT_EQ(import.Codes().size(), 8u);
    EXPECT_EQ(import.Codes()[0], (CodeRow{"PowerOn", "01"}));
    EXPECT_EQ(import.Codes()[4], (CodeRow{"PowerOn", "02 00 00 00 00 02"}));
    EXPECT_EQ(import.Protocol(), "4800,None,8,1");
    RecordingChannel channel;
    EXPECT_TRUE(import.Import(channel));
    EXPECT_EQ(channel.calls[7], "SetCodeByName Video=04");
    EXPECT_EQ(channel.calls[8], "SaveChannelSettings 1 4800,None,8,1 Beta-B100");
}

// The messages of a library that cannot be used, for each listing.
TEST_F(ImportSequenceTest, UnusableLibrariesShowTheirMessagesAndListNothing) {
    using Message = RecordingNotifier::Message;
    const Message connect{texts::kConnectFailed, "", MessageIcon::Warning};
    const Message open{texts::kOpenFailed, "错误", MessageIcon::None};
    const std::string sqlite = ReadBytes(FixturePath("DEVICES.sqlite"));
    const std::string mdb = ReadBytes(FixturePath("DEVICES.mdb"));
    struct Case {
        std::string what;
        std::function<void()> make;
        std::vector<Message> brandMessages;
    };
    const std::vector<Case> cases = {
        {"missing", [&] { std::filesystem::remove(devices_); }, {connect, open}},
        {"truncated Access", [&] { WriteBytes(devices_, mdb.substr(0, 5000)); }, {connect, open}},
        {"no Brand table",
         [&] {
             std::filesystem::remove(devices_);
             ExecSql(devices_, "create table Other (x text)");
         },
         {open}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(devices_);
        WriteBytes(devices_, sqlite);
        c.make();
        notifier_.clear();
        ProjectorImport import(*library_, notifier_, 1);
        import.Open();
        EXPECT_TRUE(import.Brands().empty()) << c.what;
        const auto got = notifier_.messages();
        ASSERT_EQ(got.size(), c.brandMessages.size()) << c.what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, c.brandMessages[i].text) << c.what;
            EXPECT_EQ(got[i].caption, c.brandMessages[i].caption) << c.what;
            EXPECT_EQ(got[i].icon, c.brandMessages[i].icon) << c.what;
        }
    }
}

}  // namespace
}  // namespace ketrel::projector

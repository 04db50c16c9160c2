// The projector dialog's import refusals, against the supplied configuration database and the
// library in either format; a good import and the editor around it are the editors' tests'.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
using test::ReadFile;
using test::WriteFile;
using Texts = std::vector<std::string>;

constexpr int kChannel = 1;

// The configuration database the program ships, made the way the program makes it.
void MakeConfig(const std::string& path) {
    std::filesystem::remove(path);
    std::string error;
    if (!CreateSuppliedDatabase(path, &error)) throw std::runtime_error(error);
}

// Every row of the tables an import may touch (SPTxCode, SPChannel).
Texts Snapshot(const std::string& path) {
    Texts rows = QueryRows(path, "select * from SPTxCode order by ID");
    for (auto& row : QueryRows(path, "select * from SPChannel order by SPNumber")) {
        rows.push_back(row);
    }
    return rows;
}

class ProjectorImportTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        WriteFile(devices_, ReadFile(FixturePath(GetParam())));
        MakeConfig(config_);
    }

    // The one message of a refused import, and the configuration left as it was.
    void ExpectRefused(const char* text, const Texts& before, const std::string& what) {
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

TEST_P(ProjectorImportTest, AChannelLackingACodeStopsThereAndChangesNothing) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"delete from SPTxCode where SPNumber = 1 and CodeName = 'PowerOn'", texts::kNoPowerOn},
        // Two rows of one name are not "the" code either.
        {"insert into SPTxCode (ID, SPNumber, CodeName, Code) values (900, 1, 'VGA', '')",
         texts::kNoVGA},
        // The first three would be written by a check-as-you-go import.
        {"update SPTxCode set CodeName = 'video' where SPNumber = 1 and CodeName = 'Video'",
         texts::kNoVideo},
    };
    for (const auto& [change, text] : cases) {
        MakeConfig(config_);
        ExecSql(config_, change);
        const Texts before = Snapshot(config_);
        notifier_.clear();
        Choose("Alpha", "X1");
        ExpectRefused(text, before, text);
    }
}

TEST_P(ProjectorImportTest, ImportWithoutAChosenModelChangesNothing) {
    const Texts before = Snapshot(config_);
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"nothing chosen", [&] { import_.Open(); }},
        {"brand only", [&] { import_.BrandClicked("Alpha"); }},
        {"model click left nothing selected",
         [&] {
             Choose("Alpha", "X1");
             import_.ModelClicked(std::nullopt);
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
    const Texts before = Snapshot(config_);
    import_.Open();
    import_.BrandClicked("Alpha");
    std::filesystem::remove(devices_);
    import_.ModelClicked("X1");
    EXPECT_EQ(notifier_.texts(), (Texts{texts::kConnectFailed, texts::kOpenFailed}));
    notifier_.clear();
    ExpectRefused(texts::kChooseBrandModel, before, "library gone");
}

TEST_P(ProjectorImportTest, AFailedChannelStatementShowsItsMessageAndTheRestStillRuns) {
    ExecSql(config_, "drop table SPChannel");
    Choose("Alpha", "X1");
    EXPECT_TRUE(import_.Import(channel_));
    EXPECT_EQ(notifier_.texts(), (Texts{"sqlite3_exec for SPChannel error!!!"}));
    EXPECT_EQ(notifier_.messages()[0].caption, "");
    EXPECT_EQ(
        QueryRows(config_, "select Code from SPTxCode where SPNumber = 1 and CodeName = 'Video'"),
        Texts{"BE EF 03 06 00 6E D3 01 00 00 20 01 00"});
}

TEST_P(ProjectorImportTest, AMissingConfigurationIsNotCreated) {
    std::filesystem::remove(config_);
    Choose("Alpha", "X1");
    EXPECT_FALSE(import_.Import(channel_));
    EXPECT_EQ(notifier_.texts(), (Texts{texts::kNoPowerOn}));
    EXPECT_FALSE(std::filesystem::exists(config_));
}

INSTANTIATE_TEST_SUITE_P(Libraries, ProjectorImportTest,
                         ::testing::Values("DEVICES.sqlite", "DEVICES.mdb"), [](const auto& info) {
                             return std::string(info.param).ends_with("mdb") ? "Access" : "Sqlite";
                         });

}  // namespace
}  // namespace ketrel::projector

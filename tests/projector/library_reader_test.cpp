// One suite run against every reader (SQLite, Access, and the one that chooses by the header);
// then the library the program ships, as the build makes it.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <regex>
#include <set>

#include "projector/device_library.h"
#include "projector_test_support.h"
#include "test_support.h"

namespace ketrel::projector {
namespace {

using test::FixturePath;
using test::ReadFile;
using test::WriteFile;

const std::string kAlphaX2Hdmi = "BE EF 03 06 00 0E D2 01 00 00 20 03 00";

struct ReaderKind {
    const char* name;
    const char* fixture;
    std::function<std::unique_ptr<DeviceLibraryReader>(std::string)> make;
};

std::ostream& operator<<(std::ostream& os, const ReaderKind& kind) { return os << kind.name; }

std::vector<std::string> Models(const LibraryRows<CDevice>& rows) {
    std::vector<std::string> out;
    for (const auto& d : rows.rows) out.push_back(d.Model);
    return out;
}

class LibraryReaderTest : public ::testing::TestWithParam<ReaderKind> {
  protected:
    void SetUp() override {
        path_ = dir_.file("DEVICES");
        original_ = ReadFile(FixturePath(GetParam().fixture));
        ASSERT_FALSE(original_.empty());
        WriteFile(path_, original_);
        reader_ = GetParam().make(path_);
    }

    ketrel::test::TempDir dir_;
    std::string path_;
    std::string original_;
    std::unique_ptr<DeviceLibraryReader> reader_;
};

TEST_P(LibraryReaderTest, BrandsAndTheirDevicesComeInTableOrder) {
    const auto brands = reader_->Brands();
    ASSERT_TRUE(brands.ok());
    std::vector<std::string> names;
    for (const auto& b : brands.rows) names.push_back(b.Brand);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Alpha", "Beta", "Gamma", "\xE7\xA4\xBA\xE4\xBE\x8B"}));
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Alpha", {"X1", "X1'S", "X2"}},
        {"Beta", {"B100", "B200"}},
        {"示例", {"投影机A", "S1"}},
        {"alpha", {}},  // compared exactly, case included
        {"Alpha ", {}},
        {"' or '1'='1", {}},
        {"", {}},
    };
    for (const auto& [brand, models] : cases) {
        const auto devices = reader_->DevicesOfBrand(brand);
        ASSERT_TRUE(devices.ok()) << brand;
        EXPECT_EQ(Models(devices), models) << brand;
    }
}

// Brand and model compared exactly, a quote and all: no near miss, no injected condition.
TEST_P(LibraryReaderTest, DeviceOfMatchesBrandAndModelExactly) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    for (const auto& [brand, model] :
         Pairs{{"Alpha", "X1'S"}, {"Gamma", "G20"}, {"示例", "投影机A"}}) {
        const auto rows = reader_->DeviceOf(brand, model);
        ASSERT_EQ(rows.rows.size(), 1u) << model;
        EXPECT_EQ(rows.rows[0].Name, brand + " " + model);
    }
    const Pairs absent = {
        {"Alpha", "x1"},   {"alpha", "X1"}, {"Alpha", "X1'"},           {"Alpha", "X1''S"},
        {"Alpha", "X1's"}, {"Beta", "X1"},  {"Alpha", "X1' or '1'='1"}, {"示例", "投影机"},
        {"Alpha", "X1 "},
    };
    for (const auto& [brand, model] : absent) {
        const auto rows = reader_->DeviceOf(brand, model);
        ASSERT_TRUE(rows.ok()) << brand << " " << model;
        EXPECT_TRUE(rows.rows.empty()) << brand << " " << model;
    }
}

TEST_P(LibraryReaderTest, TakesTheNineColumnsByPosition) {
    const auto rows = reader_->DeviceOf("Beta", "B200");
    ASSERT_EQ(rows.rows.size(), 1u);
    const CDevice& d = rows.rows[0];
    EXPECT_EQ(d.Brand + "|" + d.Model + "|" + d.Name + "|" + d.Protocol + "|" + d.Startup + "|" +
                  d.Shutdown + "|" + d.VGA + "|" + d.Video + "|" + d.HDMI,
              "Beta|B200|Beta B200|38400,None,8,1|2A 70 6F 77 3D 6F 6E 23 0D|2A 70 6F 77 3D 6F 66 "
              "66 23 0D|2A 73 6F 75 72 63 65 3D 52 47 42 31 23 0D|2A 73 6F 75 72 63 65 3D 76 69 64 "
              "23 0D|");
    // The only model with an HDMI code.
    EXPECT_EQ(reader_->DeviceOf("Alpha", "X2").rows.at(0).HDMI, kAlphaX2Hdmi);
}

TEST_P(LibraryReaderTest, UnusableFilesFailToConnect) {
    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (auto& c : noise) c = static_cast<char>(random());
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"missing", [&] { std::filesystem::remove(path_); }},
        {"empty", [&] { WriteFile(path_, ""); }},
        {"random bytes", [&] { WriteFile(path_, noise); }},
        {"a directory",
         [&] {
             std::filesystem::remove(path_);
             std::filesystem::create_directory(path_);
         }},
        {"only the header", [&] { WriteFile(path_, original_.substr(0, 20)); }},
        {"text", [&] { WriteFile(path_, "Standard Jet DB\n"); }},
    };
    for (const auto& [what, damage] : cases) {
        std::filesystem::remove_all(path_);
        WriteFile(path_, original_);
        damage();
        EXPECT_EQ(reader_->Brands().status, LibraryStatus::ConnectFailed) << what;
        EXPECT_EQ(reader_->DevicesOfBrand("Alpha").status, LibraryStatus::ConnectFailed) << what;
        EXPECT_TRUE(reader_->DeviceOf("Alpha", "X1").rows.empty()) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, LibraryReaderTest,
    ::testing::Values(ReaderKind{"Sqlite", "DEVICES.sqlite", MakeSqliteDeviceReader},
                      ReaderKind{"Access", "DEVICES.mdb", MakeJetDeviceReader},
                      ReaderKind{"ChosenSqlite", "DEVICES.sqlite", MakeDeviceLibrary},
                      ReaderKind{"ChosenAccess", "DEVICES.mdb", MakeDeviceLibrary}),
    [](const auto& info) { return std::string(info.param.name); });

class SqliteShapeTest : public ::testing::Test {
  protected:
    void Make(const std::string& sql) {
        std::filesystem::remove(path_);
        test::ExecSql(path_, sql);
    }
    ketrel::test::TempDir dir_;
    std::string path_ = dir_.file("DEVICES");
    std::unique_ptr<DeviceLibraryReader> reader_ = MakeDeviceLibrary(path_);
};

constexpr const char* kBrandTable =
    "create table Brand (Brand text); insert into Brand values ('A');";
constexpr const char* kDeviceColumns =
    "Brand text, Model text, Name text, Protocol text, Startup text, Shutdown text, VGA text, "
    "Video text, HDMI text";

TEST_F(SqliteShapeTest, MissingTablesAndColumnsFailToOpen) {
    Make(kBrandTable);  // no Device table
    EXPECT_TRUE(reader_->Brands().ok());
    EXPECT_EQ(reader_->DevicesOfBrand("A").status, LibraryStatus::OpenFailed);
    EXPECT_EQ(reader_->DeviceOf("A", "M").status, LibraryStatus::OpenFailed);

    Make("create table Device (" + std::string(kDeviceColumns) + ");");  // no Brand table
    EXPECT_EQ(reader_->Brands().status, LibraryStatus::OpenFailed);
    EXPECT_TRUE(reader_->DevicesOfBrand("A").ok());

    // Eight columns: the ninth is taken by position and is missing.
    Make(std::string(kBrandTable) +
         "create table Device (Brand text, Model text, Name text, Protocol text, Startup text,"
         " Shutdown text, VGA text, Video text);");
    EXPECT_EQ(reader_->DevicesOfBrand("A").status, LibraryStatus::OpenFailed);

    // No column named Model to compare with.
    Make(std::string(kBrandTable) +
         "create table Device (Brand text, Type text, Name text, Protocol text, Startup text,"
         " Shutdown text, VGA text, Video text, HDMI text);");
    EXPECT_TRUE(reader_->DevicesOfBrand("A").ok());
    EXPECT_EQ(reader_->DeviceOf("A", "M").status, LibraryStatus::OpenFailed);
}

TEST(AccessReader, AMissingTableFailsToOpen) {
    ketrel::test::TempDir dir;
    const std::string path = dir.file("DEVICES");
    std::string bytes = ReadFile(FixturePath("DEVICES.mdb"));
    // The catalog stores the name "Device" in UTF-16; one letter changed hides the table.
    const std::string name("D\0e\0v\0i\0c\0e\0", 12);
    const auto at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 10] = 'f';
    WriteFile(path, bytes);
    const auto reader = MakeJetDeviceReader(path);
    EXPECT_TRUE(reader->Brands().ok());
    EXPECT_EQ(reader->DevicesOfBrand("Alpha").status, LibraryStatus::OpenFailed);
}

TEST(AccessReader, AFileThatFaultsTheReadingLibraryFailsToConnect) {
    ketrel::test::TempDir dir;
    const std::string path = dir.file("DEVICES");
    std::string bytes = ReadFile(FixturePath("DEVICES.mdb"));
    // One byte of the system catalog's table definition page, which makes libmdb 1.0 read out
    // of bounds and fault.
    bytes[8247] = '\xff';
    WriteFile(path, bytes);
    EXPECT_EQ(MakeJetDeviceReader(path)->Brands().status, LibraryStatus::ConnectFailed);
    EXPECT_EQ(MakeDeviceLibrary(path)->DeviceOf("Alpha", "X1").status,
              LibraryStatus::ConnectFailed);
}

// The code text rule of the send-code editor: two hex digits per byte, single spaces between,
// at most 32 bytes. The image compiler reads nothing else.
bool IsCodeText(const std::string& code) {
    static const std::regex rule("([0-9A-Fa-f]{2}( [0-9A-Fa-f]{2}){0,31})?");
    return std::regex_match(code, rule);
}

// The line settings the serial channel editor can show in its four lists.
bool IsProtocol(const std::string& text) {
    static const std::regex rule(
        "(1200|1800|2400|4800|7200|9600|14400|19200|28800|38400|57600|76800|115200),"
        "(None|Odd|Even),[78],[12]");
    return std::regex_match(text, rule);
}

TEST(SuppliedLibrary, HoldsUsableModelsForEveryBrand) {
    const auto library = MakeDeviceLibrary(KETREL_SUPPLIED_DEVICES_FILE);
    EXPECT_EQ(DetectLibraryFormat(KETREL_SUPPLIED_DEVICES_FILE), LibraryFormat::Sqlite);
    const auto brands = library->Brands();
    ASSERT_TRUE(brands.ok());
    ASSERT_GE(brands.rows.size(), 3u);
    int withHdmi = 0;
    int withQuote = 0;
    for (const auto& brand : brands.rows) {
        const auto devices = library->DevicesOfBrand(brand.Brand);
        ASSERT_TRUE(devices.ok());
        EXPECT_FALSE(devices.rows.empty()) << brand.Brand;
        for (const CDevice& d : devices.rows) {
            const std::string id = d.Brand + "-" + d.Model;
            EXPECT_TRUE(IsProtocol(d.Protocol)) << id << ": " << d.Protocol;
            for (const std::string* code : {&d.Startup, &d.Shutdown, &d.VGA, &d.Video, &d.HDMI}) {
                EXPECT_TRUE(IsCodeText(*code)) << id << ": " << *code;
            }
            EXPECT_FALSE(d.Startup.empty() || d.Shutdown.empty() || d.VGA.empty() ||
                         d.Video.empty())
                << id;
            if (!d.HDMI.empty()) ++withHdmi;
            if (d.Model.find('\'') != std::string::npos) ++withQuote;
            // Found again by its name, a quote and all.
            EXPECT_EQ(library->DeviceOf(d.Brand, d.Model).rows.size(), 1u) << id;
        }
    }
    EXPECT_EQ(withHdmi, 1);
    EXPECT_EQ(withQuote, 1);
    // Every model's brand is in the brand list.
    std::set<std::string> listed;
    for (const auto& b : brands.rows) listed.insert(b.Brand);
    for (const auto& row :
         test::QueryRows(KETREL_SUPPLIED_DEVICES_FILE, "select distinct Brand from Device")) {
        EXPECT_TRUE(listed.count(row)) << row;
    }
}

}  // namespace
}  // namespace ketrel::projector

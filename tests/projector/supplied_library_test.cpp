// The projector library the program ships, as the build makes it, and its placement.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "projector/device_library.h"
#include "projector_test_support.h"
#include "test_support.h"

namespace ketrel::projector {
namespace {

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

// The image subcommand and the failures of all three, run in-process; and the build step that
// places the supplied database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/config_image.h"
#include "config_test_support.h"

namespace ketrel {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ConfigCli, ImageWritesTheRawBytesOrAHexDump) {
    test::SuppliedDb db;
    test::RecordingNotifier quiet;
    ConfigImage expected{};
    ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, quiet), expected));

    const std::string file = db.dir.file("image.bin");
    const test::Outcome written = test::RunCli(db.dir.path(), "", "image", {"--out", file});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(ReadFile(file), std::string(expected.begin(), expected.end()));

    const test::Outcome dump = test::RunCli(db.dir.path(), "", "image");
    EXPECT_EQ(dump.status, 0) << dump.err;
    std::istringstream lines(dump.out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) all.push_back(line);
    ASSERT_EQ(all.size(), 128u);
    EXPECT_EQ(all[0], "0000  A5 01 01 00 A7 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(all[0x6B], "06B0  23 00 00 00 00 00 00 00 05 00 05 00 03 00 03 00");
    EXPECT_EQ(all[127].substr(0, 6), "07F0  ");
}

// The build step behind ketrel_place_config: the supplied file goes where none is, and a file
// that is there (the user's configuration) stays as it is.
TEST(PlaceConfig, CopiesOnlyWhereNoFileIs) {
    test::SuppliedDb supplied;
    test::TempDir target;
    const auto place = [&](const std::string& to) {
        const std::string command = std::string("'") + KETREL_CMAKE + "' -DFROM='" + supplied.path +
                                    "' -DTO='" + to + "' -P '" + KETREL_PLACE_SCRIPT +
                                    "' >/dev/null";
        return std::system(command.c_str());
    };
    ASSERT_EQ(place(target.file("new/CONFIG")), 0);
    EXPECT_EQ(ReadFile(target.file("new/CONFIG")), ReadFile(supplied.path));

    { std::ofstream(target.file("CONFIG")) << "edited by the user"; }
    ASSERT_EQ(place(target.file("CONFIG")), 0);
    EXPECT_EQ(ReadFile(target.file("CONFIG")), "edited by the user");
}

}  // namespace
}  // namespace ketrel

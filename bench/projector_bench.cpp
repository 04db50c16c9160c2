// Projector library listing: how long the dialog's lists take to fill from a library of 1,000
// models (goal: well under 200 ms, so the window never seems to freeze).
//
//   projector_bench [ACCESS_FILE]   also times the Access reader on that file
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "projector/device_library.h"
#include "projector/projector_import.h"

namespace {

using namespace ketrel;
using namespace ketrel::projector;
using Clock = std::chrono::steady_clock;

class PrintingNotifier : public Notifier {
  public:
    void show(const std::string& text, const std::string&, MessageIcon) override {
        std::printf("message: %s\n", text.c_str());
    }
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override {
        show(text, caption, icon);
        return false;
    }
};

bool MakeLibrary(const std::string& path, int brands, int modelsPerBrand) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    std::string sql =
        "begin; create table Brand (Brand varchar(255)); create table Device (Brand "
        "varchar(255), Model varchar(255), Name varchar(255), Protocol varchar(255), Startup "
        "varchar(255), Shutdown varchar(255), VGA varchar(255), Video varchar(255), HDMI "
        "varchar(255));";
    for (int b = 0; b < brands; ++b) {
        const std::string brand = "Brand" + std::to_string(b);
        sql += "insert into Brand values ('" + brand + "');";
        for (int m = 0; m < modelsPerBrand; ++m) {
            const std::string model = "M-" + std::to_string(m) + (m % 7 == 0 ? "'S" : "");
            std::string quoted = model;
            for (std::size_t i = quoted.find('\''); i != std::string::npos;
                 i = quoted.find('\'', i + 2)) {
                quoted.insert(i, 1, '\'');
            }
            sql += "insert into Device values ('" + brand + "','" + quoted + "','" + brand + " " +
                   quoted +
                   "','9600,None,8,1','BE EF 03 06 00 BA D2 01 00 00 60 01 00','BE EF 03 06 00 "
                   "2A D3 01 00 00 60 00 00','BE EF 03 06 00 FE D2 01 00 00 20 00 00','BE EF 03 "
                   "06 00 6E D3 01 00 00 20 01 00',null);";
        }
    }
    sql += "commit;";
    const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Median and worst of several runs, in milliseconds.
void Time(const char* what, int runs, const std::function<std::size_t()>& work) {
    std::vector<double> ms;
    std::size_t items = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        items = work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-48s %5zu items  median %8.3f ms  worst %8.3f ms\n", what, items,
                ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/ketrel-projector-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    const std::string spread = std::string(dir) + "/spread";
    const std::string single = std::string(dir) + "/single";
    if (!MakeLibrary(spread, 50, 20) || !MakeLibrary(single, 1, 1000)) {
        std::fprintf(stderr, "cannot make the test libraries\n");
        return 1;
    }
    PrintingNotifier notifier;
    const int runs = 51;

    std::printf("SQLite library, 1,000 models (50 brands x 20 models):\n");
    auto library = MakeDeviceLibrary(spread);
    ProjectorListing listing(*library, notifier);
    Time("  list the brands", runs, [&] { return listing.ListBrands().size(); });
    Time("  list the models of one brand", runs,
         [&] { return listing.ListModels("Brand25").size(); });
    Time("  list the codes of one model", runs,
         [&] { return listing.ListCodes("Brand25", "M-14'S").rows.size(); });

    std::printf("SQLite library, 1,000 models of one brand:\n");
    auto oneBrand = MakeDeviceLibrary(single);
    ProjectorListing oneListing(*oneBrand, notifier);
    Time("  list the models of the brand", runs,
         [&] { return oneListing.ListModels("Brand0").size(); });
    Time("  list the codes of one model", runs,
         [&] { return oneListing.ListCodes("Brand0", "M-999").rows.size(); });

    if (argc > 1) {
        std::printf("Access library %s (read in a child process):\n", argv[1]);
        auto access = MakeDeviceLibrary(argv[1]);
        ProjectorListing accessListing(*access, notifier);
        Time("  list the brands", runs, [&] { return accessListing.ListBrands().size(); });
        Time("  list the models of one brand", runs,
             [&] { return accessListing.ListModels("Alpha").size(); });
    }
    std::filesystem::remove_all(dir);
    std::printf("goal: every listing under 200 ms\n");
    return 0;
}

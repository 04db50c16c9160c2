#include "platform/first_run.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/autostart.h"
#include "platform/ini_file.h"

namespace ketrel {

namespace {
constexpr const char* kSection = "General";
constexpr const char* kKey = "Author";
constexpr const char* kValue = "kovastrine";
}  // namespace

std::string FirstRunMarkerPath() { return UserConfigHome() + "/HDMIVardo/HDMIVardo.conf"; }

bool HasFirstRunMarker() {
    const auto value = IniFile::read(FirstRunMarkerPath(), kSection, kKey);
    return value && *value == kValue;
}

void WriteFirstRunMarker() {
    const std::filesystem::path path = FirstRunMarkerPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return;
    if (std::filesystem::exists(path, ec)) {
        IniFile::write(path.string(), kSection, kKey, kValue);  // keeps whatever else it holds
        return;
    }
    std::ofstream out(path, std::ios::binary);
    out << "[" << kSection << "]\n" << kKey << "=" << kValue << "\n";
}

}  // namespace ketrel

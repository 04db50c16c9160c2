#include "projector/projector_import.h"

#include "projector/projector_texts.h"

namespace ketrel::projector {

const std::array<ImportMapping, 4> kImportMapping = {{
    {"PowerOn", &CDevice::Startup, "PowerOn"},
    {"PowerOff", &CDevice::Shutdown, "PowerOff"},
    {"VGA", &CDevice::VGA, "VGA"},
    {"Video", &CDevice::Video, "Video"},
}};

namespace {

// The messages when the channel lacks a send code, in the order of kImportMapping.
constexpr std::array<const char*, 4> kMissingCodeTexts = {texts::kNoPowerOn, texts::kNoPowerOff,
                                                          texts::kNoVGA, texts::kNoVideo};

}  // namespace

ProjectorListing::ProjectorListing(DeviceLibraryReader& library, Notifier& notifier)
    : library_(library), notifier_(notifier) {}

bool ProjectorListing::Report(LibraryStatus status) {
    if (status == LibraryStatus::ConnectFailed) {
        notifier_.show(texts::kConnectFailed, "", MessageIcon::Warning);
    }
    if (status != LibraryStatus::Ok) {
        notifier_.show(texts::kOpenFailed, texts::kCaptionError, MessageIcon::None);
        return false;
    }
    return true;
}

std::vector<std::string> ProjectorListing::ListBrands() {
    auto result = library_.Brands();
    std::vector<std::string> out;
    if (!Report(result.status)) return out;
    for (auto& row : result.rows) out.push_back(std::move(row.Brand));
    return out;
}

std::vector<std::string> ProjectorListing::ListModels(const std::string& brand) {
    auto result = library_.DevicesOfBrand(brand);
    std::vector<std::string> out;
    if (!Report(result.status)) return out;
    for (auto& row : result.rows) out.push_back(std::move(row.Model));
    return out;
}

CodeListing ProjectorListing::ListCodes(const std::string& brand, const std::string& model) {
    auto result = library_.DeviceOf(brand, model);
    CodeListing out;
    if (!Report(result.status)) return out;
    for (const CDevice& device : result.rows) {
        std::vector<CodeRow> rows;
        for (const ImportMapping& m : kImportMapping)
            rows.push_back({m.shownName, device.*m.column});
        out.rows.insert(out.rows.begin(), rows.begin(), rows.end());
        out.protocol = device.Protocol;
    }
    return out;
}

ProjectorImport::ProjectorImport(DeviceLibraryReader& library, Notifier& notifier, int spNumber)
    : listing_(library, notifier), notifier_(notifier), spNumber_(spNumber) {}

void ProjectorImport::Open() { brands_ = listing_.ListBrands(); }

void ProjectorImport::BrandClicked(const std::optional<std::string>& brand) {
    model_.clear();
    codes_.clear();
    protocol_.clear();
    models_.clear();
    if (!brand) {
        brand_.clear();
        return;
    }
    brand_ = *brand;
    models_ = listing_.ListModels(brand_);
}

void ProjectorImport::ModelClicked(const std::optional<std::string>& model) {
    codes_.clear();
    protocol_.clear();
    if (!model) {
        model_.clear();
        return;
    }
    model_ = *model;
    CodeListing listing = listing_.ListCodes(brand_, model_);
    codes_ = std::move(listing.rows);
    protocol_ = std::move(listing.protocol);
}

bool ProjectorImport::Import(SerialChannelOperations& channel) {
    // A model that yielded no codes (the library failed or changed since it was listed) would
    // overwrite the channel's codes and line settings with empty texts.
    if (brand_.empty() || model_.empty() || codes_.size() < kImportMapping.size()) {
        notifier_.show(texts::kChooseBrandModel, texts::kCaptionNotice, MessageIcon::Error);
        return false;
    }
    // Every code is checked before the first is written, so a channel that lacks one is left
    // exactly as it was.
    for (std::size_t i = 0; i < kImportMapping.size(); ++i) {
        if (!channel.HasCode(kImportMapping[i].codeName)) {
            notifier_.show(kMissingCodeTexts[i], texts::kCaptionNotice, MessageIcon::Error);
            return false;
        }
    }
    // Rows are taken by position; a failed statement has shown its message and the rest
    // still runs.
    for (std::size_t i = 0; i < kImportMapping.size(); ++i) {
        channel.SetCodeByName(kImportMapping[i].codeName, codes_[i].code);
    }
    channel.SaveChannelSettings(spNumber_, protocol_, brand_ + "-" + model_);
    channel.LoadCodes(spNumber_);
    channel.LoadChannel(spNumber_);
    return true;
}

}  // namespace ketrel::projector

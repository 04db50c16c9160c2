#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "config/channel_store.h"
#include "projector/device_library.h"

namespace ketrel::projector {

// One row of the code list: the name shown and the code text.
struct CodeRow {
    std::string name;
    std::string code;

    bool operator==(const CodeRow&) const = default;
};

// The codes of one model as the code list shows them, and its line settings.
struct CodeListing {
    std::vector<CodeRow> rows;
    std::string protocol;
};

// A code list row and the channel send code it fills, in the order of the code list.
struct ImportMapping {
    const char* shownName;
    std::string CDevice::*column;
    const char* codeName;
};
extern const std::array<ImportMapping, 4> kImportMapping;

// The three listings of the import dialog, each one query with its messages: a library that
// cannot be reached shows "数据库连接失败!" and then, as the query fails too, "打开数据库失败!"
// (caption "错误"); a missing table or column shows only the latter. The list is then empty.
class ProjectorListing {
  public:
    ProjectorListing(DeviceLibraryReader& library, Notifier& notifier);

    std::vector<std::string> ListBrands();
    std::vector<std::string> ListModels(const std::string& brand);
    // Each matching row puts its four code rows in front of the earlier ones, and the
    // protocol of the last row is kept (a well-formed library has one row per model).
    CodeListing ListCodes(const std::string& brand, const std::string& model);

  private:
    bool Report(LibraryStatus status);

    DeviceLibraryReader& library_;
    Notifier& notifier_;
};

// The state of the import dialog and its handlers, without any widget: the window fills its
// lists from Brands(), Models(), Codes() and Protocol() after each handler.
class ProjectorImport {
  public:
    ProjectorImport(DeviceLibraryReader& library, Notifier& notifier, int spNumber);

    // Opening: lists the brands.
    void Open();
    // A click in the brand list: the chosen brand, or nothing when the click left no item
    // selected. Either way the model, the codes and the protocol of an earlier choice are
    // cleared, so an import never pairs one brand's name with another brand's codes.
    void BrandClicked(const std::optional<std::string>& brand);
    // A click in the model list: the chosen model, or nothing.
    void ModelClicked(const std::optional<std::string>& model);
    // 导入: fills the channel's four send codes, its line settings and its device name
    // "Brand-Model", then redisplays it. True when the dialog is to close with OK. Nothing
    // changes when no model with codes is chosen or the channel lacks one of the four codes.
    bool Import(SerialChannelOperations& channel);

    int SPNumber() const { return spNumber_; }
    const std::string& Brand() const { return brand_; }  // m_strBrand
    const std::string& Model() const { return model_; }  // m_strModel
    const std::vector<std::string>& Brands() const { return brands_; }
    const std::vector<std::string>& Models() const { return models_; }
    const std::vector<CodeRow>& Codes() const { return codes_; }
    const std::string& Protocol() const { return protocol_; }

  private:
    ProjectorListing listing_;
    Notifier& notifier_;
    int spNumber_;
    std::string brand_;
    std::string model_;
    std::vector<std::string> brands_;
    std::vector<std::string> models_;
    std::vector<CodeRow> codes_;
    std::string protocol_;
};

}  // namespace ketrel::projector

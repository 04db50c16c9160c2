#pragma once

#include <QWidget>
#include <map>
#include <string>

class QLineEdit;
class QTreeWidget;

namespace ketrel {

// The "系统配置" page: the channel lists, the settings buttons and the terminal information that
// the unit reports.
class CDialogSysSetting : public QWidget {
    Q_OBJECT
  public:
    // Ids of the terminal information fields.
    static constexpr int kDeviceId = 1174;
    static constexpr int kDhcp = 1175;
    static constexpr int kTerminalIp = 1176;
    static constexpr int kNetmask = 1177;
    static constexpr int kGateway = 1178;
    static constexpr int kDns = 1179;
    static constexpr int kServerIp = 1180;

    explicit CDialogSysSetting(QWidget* parent = nullptr);

    // Shows one of the unit's information lines in its field; false for a key this page does
    // not show.
    bool SetTerminalInfo(const std::string& key, const std::string& value);
    QLineEdit* terminalField(int id) const;

    QTreeWidget* serialList() const { return serialList_; }
    QTreeWidget* infraredList() const { return infraredList_; }

  private:
    std::map<int, QLineEdit*> fields_;
    QTreeWidget* serialList_;
    QTreeWidget* infraredList_;
};

}  // namespace ketrel

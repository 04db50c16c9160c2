#pragma once

#include <QDialog>
#include <string>

#include "config/channel_store.h"
#include "editors/channel_editor_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ketrel {

class ReportList;

// "修改红外通道": the protocol, device name and ten send codes of the infrared channel.
class CDialogModifyInfrared : public QDialog {
    Q_OBJECT
  public:
    CDialogModifyInfrared(int irNumber, ChannelEditorContext context, QWidget* parent = nullptr);

    int IRNumber() const { return irNumber_; }
    int lastClickedRow() const { return lastClickedRow_; }

    QLabel* numberLabel() const { return number_; }
    QLabel* nameLabel() const { return name_; }
    QComboBox* protocolList() const { return protocol_; }
    QLineEdit* modelEdit() const { return model_; }
    ReportList* codeList() const { return codes_; }
    QPushButton* okButton() const { return ok_; }

    // Database failures of the two loads are silent.
    void LoadChannel(int irNumber);
    void LoadCodes(int irNumber);
    bool SaveChannelSettings(int irNumber, const std::string& protocol, const std::string& model);

    // 确定: saves the protocol and the device name and closes with OK.
    void OnOK();
    void OnListClick();
    void OnListDoubleClick();

  private:
    int irNumber_;
    ChannelEditorContext context_;
    ChannelStore store_;
    int lastClickedRow_ = -1;

    QLabel* number_;
    QLabel* name_;
    QComboBox* protocol_;
    QLineEdit* model_;
    ReportList* codes_;
    QPushButton* ok_;
};

}  // namespace ketrel

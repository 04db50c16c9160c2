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

// "修改串口通道": the line settings, device name and ten send codes of one serial channel. Its
// channel operations also serve the projector import, which fills the channel through them.
class CDialogModifySerialPort : public QDialog, public SerialChannelOperations {
    Q_OBJECT
  public:
    CDialogModifySerialPort(int spNumber, ChannelEditorContext context, QWidget* parent = nullptr);

    int SPNumber() const { return spNumber_; }
    int lastClickedRow() const { return lastClickedRow_; }

    QLabel* numberLabel() const { return number_; }
    QLabel* nameLabel() const { return name_; }
    QComboBox* baudList() const { return baud_; }
    QComboBox* parityList() const { return parity_; }
    QComboBox* dataBitsList() const { return dataBits_; }
    QComboBox* stopBitsList() const { return stopBits_; }
    QLineEdit* modelEdit() const { return model_; }
    ReportList* codeList() const { return codes_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* okButton() const { return ok_; }

    // Shows the channel's row: number, name, line settings and device name. A protocol that is
    // not four comma-separated parts is reported and leaves the line settings as they are.
    // Database failures are silent.
    void LoadChannel(int spNumber) override;
    // Refills the send-code list. Database failures are silent.
    void LoadCodes(int spNumber) override;
    bool SaveChannelSettings(int spNumber, const std::string& protocol,
                             const std::string& model) override;
    bool HasCode(const std::string& codeName) override;
    bool SetCodeByName(const std::string& codeName, const std::string& code) override;

    // 确定: saves the line settings and the device name and closes with OK (also when the save
    // failed; its message has been shown).
    void OnOK();
    void OnListClick();
    // Opens the code editor for the selected row, if any.
    void OnListDoubleClick();
    // 从库中导入代码.
    void OnImport();

  private:
    int spNumber_;
    ChannelEditorContext context_;
    ChannelStore store_;
    int lastClickedRow_ = -1;

    QLabel* number_;
    QLabel* name_;
    QComboBox* baud_;
    QComboBox* parity_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QLineEdit* model_;
    ReportList* codes_;
    QPushButton* import_;
    QPushButton* ok_;
};

}  // namespace ketrel

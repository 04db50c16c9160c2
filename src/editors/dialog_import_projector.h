#pragma once

#include <QDialog>

#include "projector/projector_import.h"

class QLabel;
class QPushButton;

namespace ketrel {

class Notifier;
class ReportList;

// "选择投影机": picks a projector brand and model from the code library and imports the
// model's four codes, line settings and name into the serial channel being edited.
class CDialogImportProjector : public QDialog {
    Q_OBJECT
  public:
    // channel: the serial channel editor that opened the dialog; spNumber: its channel.
    CDialogImportProjector(projector::DeviceLibraryReader& library, Notifier& notifier,
                           SerialChannelOperations& channel, int spNumber,
                           QWidget* parent = nullptr);

    ReportList* brandList() const { return brands_; }
    ReportList* modelList() const { return models_; }
    ReportList* codeList() const { return codes_; }
    QLabel* protocolText() const { return protocol_; }
    QPushButton* importButton() const { return import_; }

    int SPNumber() const { return import_state_.SPNumber(); }           // m_nSPNumber
    const std::string& Brand() const { return import_state_.Brand(); }  // m_strBrand
    const std::string& Model() const { return import_state_.Model(); }  // m_strModel

    // A click in the brand or the model list, with whatever it left selected.
    void OnBrandClicked();
    void OnModelClicked();
    // 导入: closes with OK once the channel holds the model's codes and settings.
    void OnImport();

  private:
    void ShowModels();
    void ShowCodes();

    projector::ProjectorImport import_state_;
    SerialChannelOperations& channel_;
    ReportList* brands_;
    ReportList* models_;
    ReportList* codes_;
    QLabel* protocol_;
    QPushButton* import_;
};

}  // namespace ketrel

#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "iot/smart_socket.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ketrel {

class DialogRunner;
class Notifier;
class SerialLink;
class SpinEdit;

// "智能插座配置": the smart socket's infrared timing and air-conditioner brand (kept in the
// database and written to the socket), the air-conditioner remote buttons, NEC infrared
// learning, and the factory calibration behind the factory password.
class CDialogIIPlug : public QDialog, private iot::SocketView {
    Q_OBJECT
  public:
    // dialogs runs the factory password dialog.
    CDialogIIPlug(SerialLink& link, std::string databasePath, Notifier& notifier,
                  DialogRunner& dialogs, QWidget* parent = nullptr);

    // False until the controls are filled, so that filling them writes nothing.
    bool ready() const { return ready_; }

    SpinEdit* carrierSpin() const { return carrier_; }
    SpinEdit* lowSpin() const { return low_; }
    SpinEdit* highSpin() const { return high_; }
    QLineEdit* carrierEdit() const;
    QLineEdit* lowEdit() const;
    QLineEdit* highEdit() const;
    QComboBox* brandList() const { return brand_; }
    QComboBox* modelList() const { return model_; }
    QComboBox* groupList() const { return group_; }
    QLineEdit* codeDisplay() const { return code_; }
    QLabel* widthsLine() const { return widths_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* writeSettingsButton() const { return writeSettings_; }
    QPushButton* airConButton(iot::AirConButton button) const { return airCon_.at(button); }
    QPushButton* learnButton() const { return learn_; }
    QPushButton* readButton() const { return read_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* powerCalibrationButton() const { return powerCal_; }
    QPushButton* energyCalibrationButton() const { return energyCal_; }
    QPushButton* energyZeroingButton() const { return energyZero_; }

    // Handlers.
    void OnTimingChanged(const iot::TimingField& field, SpinEdit* spin);
    void OnBrandChanged();
    void OnModelChanged();
    void OnWriteSettings();
    void OnAirCon(iot::AirConButton button);
    void OnLearn();
    void OnRead();
    void OnTest();
    void OnPowerCalibration();
    void OnEnergyCalibration();
    void OnEnergyZeroing();

  private:
    void setStatus(const std::string& text) override;
    void setCodeDisplay(const std::string& text) override;
    void setWidthsLine(const std::string& text) override;

    void buildControls();
    void initialise();
    int selectedGroup() const;
    // Asks for the factory password unless it was given earlier in this run.
    bool factoryPasswordGiven();
    void store(const char* key, const std::string& value);

    std::string databasePath_;
    Notifier& notifier_;
    DialogRunner& dialogs_;
    iot::SmartSocket socket_;
    bool ready_ = false;

    SpinEdit* carrier_ = nullptr;
    SpinEdit* low_ = nullptr;
    SpinEdit* high_ = nullptr;
    QComboBox* brand_ = nullptr;
    QComboBox* model_ = nullptr;
    QPushButton* writeSettings_ = nullptr;
    QComboBox* group_ = nullptr;
    QPushButton* learn_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* test_ = nullptr;
    QLineEdit* code_ = nullptr;
    QLabel* widths_ = nullptr;
    std::map<iot::AirConButton, QPushButton*> airCon_;
    QPushButton* powerCal_ = nullptr;
    QPushButton* energyCal_ = nullptr;
    QPushButton* energyZero_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace ketrel

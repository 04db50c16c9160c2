#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/image_layout.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace ketrel {

class AppState;
class CMyEdit;
class Notifier;
class OptionSpin;
class ProgramPathPrompter;
class SerialLink;

// "功能选项": the unit's option word, delays, volumes, device ID, Bluetooth name and the door
// probe and general card actions, each written to the configuration database the moment it
// changes; the program the camera command starts; and the three buttons that put the unit into
// or out of its general card authorisation mode. There is no OK button: the close box closes.
class CDialogOption : public QDialog {
    Q_OBJECT
  public:
    // The FuncFlag bits the dialog edits are in config/system_settings.h; every other bit is
    // kept as stored. EDID source, the value of the two-bit field.
    enum EdidSource { kHdmi3 = 0, kHdmi1 = 1, kHdmi2 = 2, kVga1 = 3 };

    // The six delays, the four volumes and the six action choices, in the order of their keys.
    static constexpr int kDelayCount = 6;
    static constexpr int kActionCount = 6;
    // A name reaches the unit as UTF-8 in a 16-byte field.
    static constexpr int kNameBytes = static_cast<int>(layout::kTextFieldSize);

    // prompter asks for the camera program; without one, a file dialog does.
    CDialogOption(AppState& state, SerialLink& link, Notifier& notifier, QWidget* parent = nullptr,
                  ProgramPathPrompter* prompter = nullptr);
    ~CDialogOption() override;

    // Where the window's status bar takes a note that a card line went to the unit.
    void SetStatusReporter(std::function<void(const std::string&)> report) {
        report_ = std::move(report);
    }

    // False until the controls are filled, so that filling them writes nothing.
    bool optionsLoaded() const { return loaded_; }

    // The check box of a FuncFlag bit (0..17 as shown), or nullptr for a bit without one.
    QCheckBox* flagBox(int bit) const;
    QRadioButton* edidButton(EdidSource source) const { return edid_[source]; }
    // index: 0 ReSendOnDly, 1 ReSendOffDly, 2 PowerOnDly, 3 StartupDly, 4 PowerOffDly, 5 UnLockDly
    OptionSpin* delaySpin(int index) const { return delays_[static_cast<std::size_t>(index)]; }
    QLineEdit* delayEdit(int index) const;
    QSlider* maxVolumeSlider() const { return maxVolume_; }
    QSlider* defVolumeSlider() const { return defVolume_; }
    QSlider* lineVolumeSlider() const { return lineVolume_; }
    QSlider* micVolumeSlider() const { return micVolume_; }
    CMyEdit* deviceIdEdit() const { return deviceId_; }
    QLineEdit* bleNameEdit() const { return bleName_; }
    // index: 0..3 the door probes (1 closed, 1 opened, 2 closed, 2 opened), 4 card inserted,
    // 5 card removed
    QComboBox* actionList(int index) const { return actions_[static_cast<std::size_t>(index)]; }
    QLineEdit* programPathEdit() const { return programPath_; }
    QPushButton* choosePathButton() const { return choosePath_; }
    QPushButton* addAuthorButton() const { return addAuthor_; }
    QPushButton* delAuthorButton() const { return delAuthor_; }
    QPushButton* exitAuthorButton() const { return exitAuthor_; }
    // A device ID or Bluetooth name was refused and the field still holds it.
    bool nameTooLong() const { return deviceIdRefused_ || bleNameRefused_; }

    // Handlers, also called by tests after setting the controls.
    void OnFlagClicked(int bit);
    void OnEdidClicked(EdidSource source);
    void OnDelayChanged(int index);
    void OnMaxVolumeSet();
    void OnDefVolumeSet();
    void OnLineVolumeSet();
    void OnMicVolumeSet();
    void OnDeviceIdChanged();
    void OnBleNameChanged();
    void OnActionChanged(int index);
    void OnChooseProgram();
    void OnAddAuthor();
    void OnDelAuthor();
    void OnExitAuthor();

    // The close box and Escape: refused while the device ID is neither empty nor 16
    // hexadecimal digits.
    void reject() override;
    bool DeviceIdAllowsClose() const;

  private:
    void buildControls();
    void initialise();
    void connectSlider(QSlider* slider, void (CDialogOption::*handler)());
    std::optional<std::uint32_t> readFuncFlag() const;
    bool readValue(const char* key, std::string& value) const;
    void store(const char* key, const std::string& value);
    void storeVolume(const char* key, const QSlider* slider);
    void setEdidEnabled(bool enabled);
    // Stores a name when its UTF-8 form fits the unit's field; true when it did.
    bool nameChanged(QLineEdit* edit, const char* key, bool& refused);
    void showRefusedNames();
    void sendCardLine(const char* line, const char* sentText);

    AppState& state_;
    SerialLink& link_;
    Notifier& notifier_;
    std::string databasePath_;
    std::unique_ptr<ProgramPathPrompter> ownPrompter_;
    ProgramPathPrompter* prompter_;
    bool loaded_ = false;
    bool pulling_ = false;  // one volume slider moves the other
    bool deviceIdRefused_ = false;
    bool bleNameRefused_ = false;

    std::array<QCheckBox*, 18> flags_{};
    std::array<QRadioButton*, 4> edid_{};
    std::array<OptionSpin*, kDelayCount> delays_{};
    QSlider* maxVolume_ = nullptr;
    QSlider* defVolume_ = nullptr;
    QSlider* lineVolume_ = nullptr;
    QSlider* micVolume_ = nullptr;
    CMyEdit* deviceId_ = nullptr;
    QLineEdit* bleName_ = nullptr;
    std::array<QComboBox*, kActionCount> actions_{};
    QLineEdit* programPath_ = nullptr;
    QPushButton* choosePath_ = nullptr;
    QPushButton* addAuthor_ = nullptr;
    QPushButton* delAuthor_ = nullptr;
    QPushButton* exitAuthor_ = nullptr;
    std::function<void(const std::string&)> report_;
};

}  // namespace ketrel

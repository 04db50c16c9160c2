#include "settings/dialog_option.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "common/card_actions.h"
#include "common/format.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/system_settings.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "platform/app_state.h"
#include "platform/text_util.h"
#include "settings/dialog_option_program_chooser.h"
#include "settings/dialog_option_spin.h"
#include "widgets/my_edit.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {

constexpr const char* kFuncFlag = setting::kFuncFlag.name;
constexpr const char* kDeviceIdKey = setting::kDeviceId.name;
constexpr const char* kBleNameKey = setting::kBleName.name;
constexpr const char* kMaxVolumeKey = setting::kMaxVolume.name;
constexpr const char* kDefVolumeKey = setting::kDefVolume.name;
constexpr const char* kLineVolumeKey = setting::kLineInputVol.name;
constexpr const char* kMicVolumeKey = setting::kMicInputVol.name;

constexpr const char* kNameTooLong = "输入名称过长!";
constexpr const char* kDeviceIdLength = "自定义的设备ID必须等于16个十六进制字符!";
constexpr const char* kIniWriteFailed = "写入INI文件失败！";
constexpr const char* kAppCaption = "KetrelV4.0";

constexpr int Maximum(const SystemSetting& s) { return static_cast<int>(s.max); }

struct FlagBox {
    int bit;
    const char* caption;
};
constexpr FlagBox kBasicFlags[] = {
    {funcflag::kPcOnWithSystem, "系统开同时开电脑"},
    {funcflag::kPcOffWithSystem, "系统关同时关电脑"},
    {funcflag::kScreenWithProjector, "投影开关屏幕升降"},
    {funcflag::kLocalCards, "使用本地IC卡"},
    {funcflag::kUnlockPanelOnSystemOn, "系统开同时解锁面板"},
    {funcflag::kLockPanelOnSystemOff, "系统关同时锁定面板"},
    {funcflag::kLockPanelAtPowerUp, "上电锁定面板"},
    {funcflag::kLaptopFirst, "笔记本优先"},
    {funcflag::kHdmiAudio, "使用HDMI分离音频"},
    {funcflag::kBoothKeyOpensDoor, "展台键开门锁"},
    {funcflag::kBoothKeySwitchesBooth, "展台键切展台通道"},
};
constexpr FlagBox kResendOnFlag{funcflag::kResendOn, "开机发2次间隔时间"};
constexpr FlagBox kResendOffFlag{funcflag::kResendOff, "关机发2次间隔时间"};
constexpr FlagBox kFixedEdidFlag{funcflag::kFixedEdid, "固定EDID"};
constexpr FlagBox kUsbCameraFlag{funcflag::kUsbCamera, "USB Camera"};

// In the order of the field's values.
constexpr const char* kEdidCaptions[] = {"HDMI-3为EDID源", "HDMI-1为EDID源", "HDMI-2为EDID源",
                                         "VGA-1为EDID源"};

struct KeyCaption {
    const SystemSetting& setting;
    const char* caption;
};
// The first two stand beside the check boxes that send twice; their captions are the boxes'.
constexpr KeyCaption kDelays[CDialogOption::kDelayCount] = {
    {setting::kReSendOnDly, nullptr},    {setting::kReSendOffDly, nullptr},
    {setting::kPowerOnDly, "上电延时"},  {setting::kStartupDly, "开机延时"},
    {setting::kPowerOffDly, "关机延时"}, {setting::kUnLockDly, "开电控锁延时"},
};
constexpr KeyCaption kActions[CDialogOption::kActionCount] = {
    {setting::kInputProbeClose1, "门探1接通"}, {setting::kInputProbeOpen1, "门探1断开"},
    {setting::kInputProbeClose2, "门探2接通"}, {setting::kInputProbeOpen2, "门探2断开"},
    {setting::kGACEnterFunc, "插卡执行"},      {setting::kGACLeaveFunc, "拔卡执行"},
};

using funcflag::Mask;
constexpr std::uint32_t kFixedEdidBit = Mask(funcflag::kFixedEdid);
using funcflag::kEdidField;
using funcflag::kEdidShift;

QPushButton* Button(const char* text, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    // Enter in a field must not send an authorisation line or open the chooser.
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

bool IsHexChar(QChar c) { return c.unicode() < 128 && IsHexDigit(static_cast<char>(c.unicode())); }

}  // namespace

CDialogOption::CDialogOption(AppState& state, SerialLink& link, Notifier& notifier, QWidget* parent,
                             ProgramPathPrompter* prompter)
    : QDialog(parent),
      state_(state),
      link_(link),
      notifier_(notifier),
      databasePath_(state.DatabasePath()) {
    if (!prompter) {
        ownPrompter_ = std::make_unique<FileDialogProgramPrompter>();
        prompter = ownPrompter_.get();
    }
    prompter_ = prompter;
    setWindowTitle(QStringLiteral("功能选项"));
    buildControls();
    initialise();
}

CDialogOption::~CDialogOption() = default;

QCheckBox* CDialogOption::flagBox(int bit) const {
    return bit >= 0 && bit < static_cast<int>(flags_.size()) ? flags_[static_cast<std::size_t>(bit)]
                                                             : nullptr;
}

QLineEdit* CDialogOption::delayEdit(int index) const { return delaySpin(index)->edit(); }

void CDialogOption::buildControls() {
    auto makeFlag = [this](const FlagBox& f, QWidget* parent) {
        auto* box = new QCheckBox(QString::fromUtf8(f.caption), parent);
        flags_[static_cast<std::size_t>(f.bit)] = box;
        connect(box, &QCheckBox::clicked, this, [this, bit = f.bit] { OnFlagClicked(bit); });
        return box;
    };
    auto makeDelay = [this](int index, QWidget* parent) {
        auto* spin = new OptionSpin(Maximum(kDelays[index].setting), parent);
        delays_[static_cast<std::size_t>(index)] = spin;
        connect(spin->edit(), &QLineEdit::textChanged, this,
                [this, index] { OnDelayChanged(index); });
        return spin;
    };
    auto makeAction = [this](int index, QWidget* parent) {
        auto* list = new QComboBox(parent);
        list->setMinimumWidth(120);
        actions_[static_cast<std::size_t>(index)] = list;
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, index] { OnActionChanged(index); });
        return list;
    };

    // Basic options.
    auto* basic = new QGroupBox(QStringLiteral("基础功能选项"), this);
    auto* basicColumn = new QVBoxLayout(basic);
    for (const FlagBox& f : kBasicFlags) basicColumn->addWidget(makeFlag(f, basic));

    // Document-camera key.
    auto* camera = new QGroupBox(QStringLiteral("展台按键功能定义"), this);
    programPath_ = new QLineEdit(camera);
    programPath_->setObjectName("programPath");
    programPath_->setReadOnly(true);
    programPath_->setMinimumWidth(180);
    choosePath_ = Button("选择路径", camera);
    connect(choosePath_, &QPushButton::clicked, this, &CDialogOption::OnChooseProgram);
    auto* cameraGrid = new QGridLayout(camera);
    cameraGrid->addWidget(makeFlag(kUsbCameraFlag, camera), 0, 0, 1, 2);
    cameraGrid->addWidget(programPath_, 1, 0);
    cameraGrid->addWidget(choosePath_, 1, 1);

    // Display output.
    auto* display = new QGroupBox(QStringLiteral("显示输出选项"), this);
    auto* displayColumn = new QVBoxLayout(display);
    displayColumn->addWidget(makeFlag(kFixedEdidFlag, display));
    for (int s = kHdmi3; s <= kVga1; ++s) {
        auto* radio = new QRadioButton(QString::fromUtf8(kEdidCaptions[s]), display);
        edid_[static_cast<std::size_t>(s)] = radio;
        displayColumn->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this,
                [this, s] { OnEdidClicked(static_cast<EdidSource>(s)); });
    }

    // Door probes.
    auto* probes = new QGroupBox(QStringLiteral("柜门探测通道"), this);
    auto* probeGrid = new QGridLayout(probes);
    for (int i = 0; i < 4; ++i) {
        probeGrid->addWidget(Label(kActions[i].caption, probes), i, 0);
        probeGrid->addWidget(makeAction(i, probes), i, 1);
    }

    // Device ID and Bluetooth name.
    auto* names = new QGroupBox(QStringLiteral("自定义设备ID"), this);
    deviceId_ = new CMyEdit(names);
    deviceId_->setObjectName("deviceId");
    bleName_ = new QLineEdit(names);
    bleName_->setObjectName("bleName");
    for (QLineEdit* e : {static_cast<QLineEdit*>(deviceId_), bleName_}) {
        e->setMaxLength(kNameBytes);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 18);
    }
    connect(deviceId_, &QLineEdit::textChanged, this, &CDialogOption::OnDeviceIdChanged);
    connect(bleName_, &QLineEdit::textChanged, this, &CDialogOption::OnBleNameChanged);
    auto* nameGrid = new QGridLayout(names);
    nameGrid->addWidget(Label("设备ID", names), 0, 0);
    nameGrid->addWidget(deviceId_, 0, 1);
    nameGrid->addWidget(Label("蓝牙名称", names), 1, 0);
    nameGrid->addWidget(bleName_, 1, 1);

    // Sending twice.
    auto* resend = new QGroupBox(QStringLiteral("允许重复发码"), this);
    auto* resendGrid = new QGridLayout(resend);
    resendGrid->addWidget(makeFlag(kResendOnFlag, resend), 0, 0);
    resendGrid->addWidget(makeDelay(0, resend), 0, 1);
    resendGrid->addWidget(Label("秒", resend), 0, 2);
    resendGrid->addWidget(makeFlag(kResendOffFlag, resend), 1, 0);
    resendGrid->addWidget(makeDelay(1, resend), 1, 1);
    resendGrid->addWidget(Label("秒", resend), 1, 2);

    // Delays.
    auto* delays = new QGroupBox(QStringLiteral("延时参数"), this);
    auto* delayGrid = new QGridLayout(delays);
    for (int i = 2; i < kDelayCount; ++i) {
        delayGrid->addWidget(Label(kDelays[i].caption, delays), i - 2, 0);
        delayGrid->addWidget(makeDelay(i, delays), i - 2, 1);
        delayGrid->addWidget(Label("秒", delays), i - 2, 2);
    }

    // General card authorisation.
    auto* card = new QGroupBox(QStringLiteral("本地通卡授权"), this);
    auto* cardGrid = new QGridLayout(card);
    for (int i = 4; i < kActionCount; ++i) {
        cardGrid->addWidget(Label(kActions[i].caption, card), i - 4, 0);
        cardGrid->addWidget(makeAction(i, card), i - 4, 1);
    }
    addAuthor_ = Button("添 加  通 卡", card);
    delAuthor_ = Button("删 除  通 卡", card);
    exitAuthor_ = Button("退出授权模式", card);
    cardGrid->addWidget(addAuthor_, 2, 0, 1, 2);
    cardGrid->addWidget(delAuthor_, 3, 0, 1, 2);
    cardGrid->addWidget(exitAuthor_, 4, 0, 1, 2);
    connect(addAuthor_, &QPushButton::clicked, this, &CDialogOption::OnAddAuthor);
    connect(delAuthor_, &QPushButton::clicked, this, &CDialogOption::OnDelAuthor);
    connect(exitAuthor_, &QPushButton::clicked, this, &CDialogOption::OnExitAuthor);

    // Sound.
    auto* sound = new QGroupBox(QStringLiteral("中控声音设置"), this);
    auto* soundGrid = new QGridLayout(sound);
    const std::pair<const char*, QSlider**> sliders[] = {
        {"最大输出音量限制", &maxVolume_},
        {"上电默认输出音量", &defVolume_},
        {"Line输入音量限制", &lineVolume_},
        {"MIC输入音量限制", &micVolume_},
    };
    int row = 0;
    for (const auto& [caption, slider] : sliders) {
        *slider = new QSlider(Qt::Horizontal, sound);
        (*slider)->setMinimumWidth(140);
        auto* value = new QLabel(sound);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("00")));
        connect(*slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
        value->setNum(0);
        soundGrid->addWidget(Label(caption, sound), row, 0);
        soundGrid->addWidget(*slider, row, 1);
        soundGrid->addWidget(value, row, 2);
        ++row;
    }
    connectSlider(maxVolume_, &CDialogOption::OnMaxVolumeSet);
    connectSlider(defVolume_, &CDialogOption::OnDefVolumeSet);
    connectSlider(lineVolume_, &CDialogOption::OnLineVolumeSet);
    connectSlider(micVolume_, &CDialogOption::OnMicVolumeSet);

    auto* left = new QVBoxLayout;
    left->addWidget(basic);
    left->addWidget(camera);
    left->addWidget(display);
    left->addStretch();
    auto* middle = new QVBoxLayout;
    middle->addWidget(probes);
    middle->addWidget(names);
    middle->addWidget(resend);
    middle->addWidget(delays);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(card);
    right->addWidget(sound);
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(middle);
    layout->addLayout(right);
}

void CDialogOption::connectSlider(QSlider* slider, void (CDialogOption::*handler)()) {
    // A drag is stored when the mouse lets go. The keyboard, the wheel and a click beside the
    // handle move the slider without a drag; those are stored at once, or the dialog would
    // show a volume the unit never gets.
    connect(slider, &QSlider::sliderReleased, this, handler);
    connect(slider, &QSlider::valueChanged, this, [this, slider, handler] {
        if (loaded_ && !pulling_ && !slider->isSliderDown()) (this->*handler)();
    });
}

bool CDialogOption::readValue(const char* key, std::string& value) const {
    return GetConfigValue(databasePath_, notifier_, key, value);
}

void CDialogOption::store(const char* key, const std::string& value) {
    SetConfigValue(databasePath_, notifier_, key, value);
}

std::optional<std::uint32_t> CDialogOption::readFuncFlag() const {
    std::string text;
    if (!readValue(kFuncFlag, text)) return std::nullopt;
    // The unit reads the word the same way.
    return ReadDecimal(text);
}

void CDialogOption::initialise() {
    loaded_ = false;

    for (int i = 0; i < kDelayCount; ++i) {
        std::string text;
        if (readValue(kDelays[i].setting.name, text)) delaySpin(i)->setPosition(ReadDecimal(text));
    }

    maxVolume_->setRange(0, Maximum(setting::kMaxVolume));
    defVolume_->setRange(0, Maximum(setting::kDefVolume));
    lineVolume_->setRange(0, Maximum(setting::kLineInputVol));
    micVolume_->setRange(0, Maximum(setting::kMicInputVol));
    const std::pair<const char*, QSlider*> volumes[] = {{kMaxVolumeKey, maxVolume_},
                                                        {kDefVolumeKey, defVolume_},
                                                        {kLineVolumeKey, lineVolume_},
                                                        {kMicVolumeKey, micVolume_}};
    for (const auto& [key, slider] : volumes) {
        std::string text;
        if (readValue(key, text)) {
            slider->setValue(static_cast<int>(std::min<std::uint32_t>(
                ReadDecimal(text), static_cast<std::uint32_t>(slider->maximum()))));
        }
    }

    const std::uint32_t word = readFuncFlag().value_or(0);
    for (std::size_t bit = 0; bit < flags_.size(); ++bit) {
        if (flags_[bit]) flags_[bit]->setChecked((word & Mask(static_cast<int>(bit))) != 0);
    }
    edid_[(word & kEdidField) >> kEdidShift]->setChecked(true);
    setEdidEnabled((word & kFixedEdidBit) == 0);

    std::string text;
    if (readValue(kDeviceIdKey, text)) deviceId_->setText(ToQ(text));
    if (readValue(kBleNameKey, text)) bleName_->setText(ToQ(text));

    programPath_->setText(ToQ(state_.OpenAppPath()));

    for (int i = 0; i < kActionCount; ++i) {
        QComboBox* list = actionList(i);
        for (const char* action : kCardActions) list->addItem(QString::fromUtf8(action));
        list->setCurrentIndex(-1);
        if (readValue(kActions[i].setting.name, text)) {
            const std::uint32_t index = ReadDecimal(text);
            if (index < static_cast<std::uint32_t>(list->count())) {
                list->setCurrentIndex(static_cast<int>(index));
            }
        }
    }

    loaded_ = true;
}

void CDialogOption::setEdidEnabled(bool enabled) {
    for (QRadioButton* radio : edid_) radio->setEnabled(enabled);
}

void CDialogOption::OnFlagClicked(int bit) {
    QCheckBox* box = flagBox(bit);
    if (!box) return;
    const bool checked = box->isChecked();
    // The sources follow the box whatever the database answers: a fixed EDID has no source
    // to choose.
    if (Mask(bit) == kFixedEdidBit) setEdidEnabled(!checked);
    const auto word = readFuncFlag();
    if (!word) return;
    std::uint32_t next = *word & ~Mask(bit);
    if (checked) next |= Mask(bit);
    store(kFuncFlag, std::to_string(next));
}

void CDialogOption::OnEdidClicked(EdidSource source) {
    if (!edid_[source]->isChecked()) return;
    const auto word = readFuncFlag();
    if (!word) return;
    const std::uint32_t next =
        (*word & ~kEdidField) | (static_cast<std::uint32_t>(source) << kEdidShift);
    store(kFuncFlag, std::to_string(next));
}

void CDialogOption::OnDelayChanged(int index) {
    if (!loaded_) return;
    QLineEdit* edit = delayEdit(index);
    const std::string text = FromQ(edit->text());
    const std::uint32_t maximum = kDelays[index].setting.max;
    if (ReadDecimal(text) > maximum) {
        // Changes the text once more, which stores the maximum.
        edit->setText(QString::number(maximum));
        return;
    }
    store(kDelays[index].setting.name, Trim(text));
}

void CDialogOption::storeVolume(const char* key, const QSlider* slider) {
    store(key, std::to_string(static_cast<unsigned>(slider->value())));
}

void CDialogOption::OnMaxVolumeSet() {
    if (defVolume_->value() > maxVolume_->value()) {
        pulling_ = true;
        defVolume_->setValue(maxVolume_->value());
        pulling_ = false;
        storeVolume(kDefVolumeKey, defVolume_);
    }
    storeVolume(kMaxVolumeKey, maxVolume_);
}

void CDialogOption::OnDefVolumeSet() {
    if (defVolume_->value() > maxVolume_->value()) {
        pulling_ = true;
        maxVolume_->setValue(defVolume_->value());
        pulling_ = false;
        storeVolume(kMaxVolumeKey, maxVolume_);
    }
    storeVolume(kDefVolumeKey, defVolume_);
}

void CDialogOption::OnLineVolumeSet() { storeVolume(kLineVolumeKey, lineVolume_); }

void CDialogOption::OnMicVolumeSet() { storeVolume(kMicVolumeKey, micVolume_); }

bool CDialogOption::nameChanged(QLineEdit* edit, const char* key, bool& refused) {
    if (!loaded_) return false;
    // Counted as the unit receives it: the image carries the UTF-8 bytes, and a longer text
    // would reach the unit cut, possibly inside a character.
    const QString text = edit->text();
    if (text.toUtf8().size() <= kNameBytes) {
        refused = false;
        showRefusedNames();
        store(key, Trim(FromQ(text)));
        return true;
    }
    refused = true;
    showRefusedNames();
    notifier_.show(kNameTooLong, "", MessageIcon::None);
    return false;
}

void CDialogOption::showRefusedNames() {
    const std::pair<QLineEdit*, bool> fields[] = {{deviceId_, deviceIdRefused_},
                                                  {bleName_, bleNameRefused_}};
    for (const auto& [edit, refused] : fields) {
        edit->setPalette(QPalette());  // the text colour of the style
        if (refused) {
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Text, QColor(255, 0, 0));
            edit->setPalette(palette);
        }
    }
}

void CDialogOption::OnDeviceIdChanged() { nameChanged(deviceId_, kDeviceIdKey, deviceIdRefused_); }

void CDialogOption::OnBleNameChanged() { nameChanged(bleName_, kBleNameKey, bleNameRefused_); }

void CDialogOption::OnActionChanged(int index) {
    if (!loaded_) return;
    store(kActions[index].setting.name, std::to_string(actionList(index)->currentIndex()));
}

void CDialogOption::OnChooseProgram() {
    const auto chosen = prompter_->ChooseProgram(this, state_.OpenAppPath());
    if (!chosen) return;
    if (!state_.SaveOpenAppPath(*chosen)) {
        // Not remembered for the next start, but the user chose it: use it from now on.
        state_.SetOpenAppPathForRun(*chosen);
        notifier_.show(kIniWriteFailed, kAppCaption, MessageIcon::Warning);
    }
    programPath_->setText(ToQ(state_.OpenAppPath()));
}

void CDialogOption::sendCardLine(const char* line, const char* sentText) {
    // The unit does not answer these lines: the note is all the user sees of them.
    if (link_.PostCommand(line) && report_) report_(sentText);
}

void CDialogOption::OnAddAuthor() { sendCardLine(frame::kAddAuthor, texts::kSentAddAuthor); }

void CDialogOption::OnDelAuthor() { sendCardLine(frame::kDelAuthor, texts::kSentDelAuthor); }

void CDialogOption::OnExitAuthor() { sendCardLine(frame::kExitAuthor, texts::kSentExitAuthor); }

bool CDialogOption::DeviceIdAllowsClose() const {
    // The stored form is what the unit gets: empty, or exactly 16 hexadecimal digits.
    const QString id = deviceId_->text().trimmed();
    if (id.isEmpty()) return true;
    return id.size() == kNameBytes && std::all_of(id.begin(), id.end(), IsHexChar);
}

void CDialogOption::reject() {
    if (!DeviceIdAllowsClose()) {
        notifier_.show(kDeviceIdLength, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    QDialog::reject();
}

}  // namespace ketrel

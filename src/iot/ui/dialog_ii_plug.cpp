#include "iot/ui/dialog_ii_plug.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/config_db.h"
#include "iot/iot_line.h"
#include "iot/ui/dialog_cal_pwd.h"
#include "iot/ui/spin_edit.h"
#include "platform/text_util.h"
#include "widgets/dialog_runner.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {

struct AirConLabel {
    iot::AirConButton button;
    const char* text;
};
// In the order of the group, two rows of six.
constexpr AirConLabel kAirConLabels[] = {
    {iot::AirConButton::On, "开"},
    {iot::AirConButton::Off, "关"},
    {iot::AirConButton::Auto, "自动"},
    {iot::AirConButton::Cool, "制冷"},
    {iot::AirConButton::Dry, "除湿"},
    {iot::AirConButton::FanOnly, "送风"},
    {iot::AirConButton::Heat, "制热"},
    {iot::AirConButton::Swing, "左右扫风"},
    {iot::AirConButton::TemperatureDown, "温度-"},
    {iot::AirConButton::TemperatureUp, "温度+"},
    {iot::AirConButton::FanSpeedDown, "风速-"},
    {iot::AirConButton::FanSpeedUp, "风速+"},
};

QPushButton* Button(const char* text, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    // Enter in an edit must not send anything to the socket.
    b->setAutoDefault(false);
    return b;
}

iot::Word WordOf(long long value) { return static_cast<iot::Word>(value); }

}  // namespace

CDialogIIPlug::CDialogIIPlug(SerialLink& link, std::string databasePath, Notifier& notifier,
                             DialogRunner& dialogs, QWidget* parent)
    : QDialog(parent),
      databasePath_(std::move(databasePath)),
      notifier_(notifier),
      dialogs_(dialogs),
      socket_(link, notifier, *this) {
    setWindowTitle(QStringLiteral("智能插座配置"));
    buildControls();
    initialise();
}

QLineEdit* CDialogIIPlug::carrierEdit() const { return carrier_->edit(); }
QLineEdit* CDialogIIPlug::lowEdit() const { return low_->edit(); }
QLineEdit* CDialogIIPlug::highEdit() const { return high_->edit(); }

void CDialogIIPlug::buildControls() {
    // Infrared parameters.
    auto* timing = new QGroupBox(QStringLiteral("红外参数设置"), this);
    auto* timingGrid = new QGridLayout(timing);
    const std::pair<const char*, const iot::TimingField*> rows[] = {
        {"数据正半周(有载波)脉宽", &iot::kCarrierField},
        {"数据低电平(无载波)脉宽", &iot::kLowField},
        {"数据高电平(无载波)脉宽", &iot::kHighField}};
    SpinEdit** spins[] = {&carrier_, &low_, &high_};
    for (int r = 0; r < 3; ++r) {
        const iot::TimingField& field = *rows[r].second;
        auto* spin = new SpinEdit(field.maxLength, field.maximum, timing);
        *spins[r] = spin;
        timingGrid->addWidget(new QLabel(QString::fromUtf8(rows[r].first), timing), r, 0);
        timingGrid->addWidget(spin, r, 1);
        timingGrid->addWidget(new QLabel(QStringLiteral("微秒"), timing), r, 2);
        connect(spin->edit(), &QLineEdit::textChanged, this,
                [this, f = &field, spin] { OnTimingChanged(*f, spin); });
    }
    brand_ = new QComboBox(timing);
    model_ = new QComboBox(timing);
    brand_->setMinimumWidth(140);
    model_->setMinimumWidth(140);
    writeSettings_ = Button("写入配置", timing);
    timingGrid->setColumnMinimumWidth(3, 24);
    timingGrid->addWidget(new QLabel(QStringLiteral("空调品牌"), timing), 0, 4);
    timingGrid->addWidget(brand_, 0, 5);
    timingGrid->addWidget(new QLabel(QStringLiteral("空调遥控器型号"), timing), 1, 4);
    timingGrid->addWidget(model_, 1, 5);
    timingGrid->addWidget(writeSettings_, 2, 5);
    // Only a choice of the user counts as a change, not the filling of the lists.
    connect(brand_, &QComboBox::activated, this, &CDialogIIPlug::OnBrandChanged);
    connect(model_, &QComboBox::activated, this, &CDialogIIPlug::OnModelChanged);
    connect(writeSettings_, &QPushButton::clicked, this, &CDialogIIPlug::OnWriteSettings);

    // NEC learning.
    auto* nec = new QGroupBox(QStringLiteral("投影机/大屏/电视机遥控(NEC格式红外码)学习"), this);
    group_ = new QComboBox(nec);
    learn_ = Button("学习", nec);
    read_ = Button("读取", nec);
    test_ = Button("测试", nec);
    code_ = new QLineEdit(nec);
    code_->setObjectName("necCodeDisplay");
    // Shown, never typed: a length limit here would cut the eight bytes it shows.
    code_->setReadOnly(true);
    code_->setMinimumWidth(code_->fontMetrics().horizontalAdvance(QStringLiteral("00 ")) * 9);
    widths_ = new QLabel(nec);
    auto* necGrid = new QGridLayout(nec);
    necGrid->addWidget(group_, 0, 0);
    necGrid->addWidget(learn_, 0, 1);
    necGrid->addWidget(read_, 0, 2);
    necGrid->addWidget(test_, 0, 3);
    necGrid->addWidget(code_, 0, 4);
    necGrid->addWidget(widths_, 1, 0, 1, 5);
    connect(learn_, &QPushButton::clicked, this, &CDialogIIPlug::OnLearn);
    connect(read_, &QPushButton::clicked, this, &CDialogIIPlug::OnRead);
    connect(test_, &QPushButton::clicked, this, &CDialogIIPlug::OnTest);

    // Air-conditioner remote.
    auto* airCon = new QGroupBox(QStringLiteral("空调遥控专用码(智能插座已预置)"), this);
    auto* airConGrid = new QGridLayout(airCon);
    int i = 0;
    for (const AirConLabel& l : kAirConLabels) {
        QPushButton* b = Button(l.text, airCon);
        airCon_[l.button] = b;
        airConGrid->addWidget(b, i / 6, i % 6);
        ++i;
        connect(b, &QPushButton::clicked, this, [this, button = l.button] { OnAirCon(button); });
    }

    // Factory calibration.
    auto* factory = new QGroupBox(QStringLiteral("工厂调校"), this);
    powerCal_ = Button("功率校准", factory);
    energyCal_ = Button("能耗校准", factory);
    energyZero_ = Button("能耗清零", factory);
    auto* factoryRow = new QHBoxLayout(factory);
    factoryRow->addWidget(powerCal_);
    factoryRow->addWidget(energyCal_);
    factoryRow->addWidget(energyZero_);
    factoryRow->addWidget(
        new QLabel(QStringLiteral("注意：此功能仅用于工厂出厂校准,用户不要操作!"), factory), 1);
    connect(powerCal_, &QPushButton::clicked, this, &CDialogIIPlug::OnPowerCalibration);
    connect(energyCal_, &QPushButton::clicked, this, &CDialogIIPlug::OnEnergyCalibration);
    connect(energyZero_, &QPushButton::clicked, this, &CDialogIIPlug::OnEnergyZeroing);

    // Status line.
    status_ = new QLabel(this);
    status_->setObjectName("statusLine");
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel(QStringLiteral("状态："), this));
    statusRow->addWidget(status_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(timing);
    layout->addWidget(nec);
    layout->addWidget(airCon);
    layout->addWidget(factory);
    layout->addLayout(statusRow);
}

void CDialogIIPlug::initialise() {
    ready_ = false;
    const iot::StoredSocketSettings stored = iot::LoadSocketSettings(databasePath_, notifier_);

    for (const iot::AirConBrand& b : iot::kAirConBrands)
        brand_->addItem(QString::fromUtf8(b.brand));
    brand_->setCurrentIndex(stored.brand < iot::kAirConBrands.size() ? stored.brand : -1);
    if (stored.brand < iot::kAirConBrands.size()) {
        model_->addItem(QString::fromUtf8(iot::kAirConBrands[stored.brand].model));
        model_->setCurrentIndex(stored.model < model_->count() ? stored.model : -1);
    }

    const std::pair<const std::optional<long long>*, SpinEdit*> timings[] = {
        {&stored.carrier, carrier_}, {&stored.low, low_}, {&stored.high, high_}};
    for (const auto& [value, spin] : timings) {
        if (*value) spin->setPosition(WordOf(**value));
    }

    for (int g = 1; g <= iot::kGroupCount; ++g) {
        group_->addItem(QStringLiteral("第%1组红外码").arg(g));
    }
    group_->setCurrentIndex(0);
    ready_ = true;
}

void CDialogIIPlug::store(const char* key, const std::string& value) {
    SetConfigValue(databasePath_, notifier_, key, value);
}

void CDialogIIPlug::OnTimingChanged(const iot::TimingField& field, SpinEdit* spin) {
    if (!ready_) return;
    const std::string text = FromQ(spin->edit()->text());
    if (const auto replacement = iot::ReplacementForEdit(field, text)) {
        // Changes the text once more, which stores the maximum.
        spin->edit()->setText(ToQ(*replacement));
        return;
    }
    store(field.key, Trim(text));
}

void CDialogIIPlug::OnBrandChanged() {
    const auto brand = static_cast<std::uint8_t>(brand_->currentIndex());
    model_->clear();
    if (brand < iot::kAirConBrands.size()) {
        model_->addItem(QString::fromUtf8(iot::kAirConBrands[brand].model));
        model_->setCurrentIndex(0);
    }
    const auto model = static_cast<std::uint8_t>(model_->currentIndex());
    store(iot::kKeyBrand, std::to_string(brand));
    store(iot::kKeyModel, std::to_string(model));
}

void CDialogIIPlug::OnModelChanged() {
    store(iot::kKeyModel, std::to_string(static_cast<std::uint8_t>(model_->currentIndex())));
}

void CDialogIIPlug::OnWriteSettings() {
    // What the dialog shows, not what is stored; no selection is 65535.
    iot::SmartSocket::Settings s;
    s.carrier = WordOf(iot::DecimalValue(FromQ(carrierEdit()->text())));
    s.low = WordOf(iot::DecimalValue(FromQ(lowEdit()->text())));
    s.high = WordOf(iot::DecimalValue(FromQ(highEdit()->text())));
    s.brand = WordOf(brand_->currentIndex());
    s.model = WordOf(model_->currentIndex());
    socket_.WriteSettings(s);
}

void CDialogIIPlug::OnAirCon(iot::AirConButton button) { socket_.PressAirCon(button); }

int CDialogIIPlug::selectedGroup() const {
    return static_cast<std::uint8_t>(group_->currentIndex());
}

void CDialogIIPlug::OnLearn() { socket_.Learn(selectedGroup()); }

void CDialogIIPlug::OnRead() { socket_.Read(selectedGroup()); }

void CDialogIIPlug::OnTest() { socket_.Test(selectedGroup()); }

bool CDialogIIPlug::factoryPasswordGiven() {
    if (iot::FactoryPasswordAccepted()) return true;
    CDialogCalPwd dialog(notifier_, this);
    return dialogs_.run(dialog) == QDialog::Accepted;
}

void CDialogIIPlug::OnPowerCalibration() {
    if (factoryPasswordGiven()) socket_.PowerCalibration();
}

void CDialogIIPlug::OnEnergyCalibration() {
    if (factoryPasswordGiven()) socket_.EnergyCalibration();
}

void CDialogIIPlug::OnEnergyZeroing() {
    if (factoryPasswordGiven()) socket_.EnergyZeroing();
}

void CDialogIIPlug::setStatus(const std::string& text) { status_->setText(ToQ(text)); }

void CDialogIIPlug::setCodeDisplay(const std::string& text) { code_->setText(ToQ(text)); }

void CDialogIIPlug::setWidthsLine(const std::string& text) { widths_->setText(ToQ(text)); }

}  // namespace ketrel

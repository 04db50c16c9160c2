#include "settings/dialog_serial_port_setup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/notifier.h"
#include "common/texts.h"
#include "link/serial_link.h"
#include "link/serial_port.h"
#include "platform/app_state.h"
#include "platform/text_util.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr const char* kNoPorts = "您的计算机上无有效的串口！！！";
constexpr const char* kIniWriteFailed = "写入INI文件失败！";
constexpr const char* kAppCaption = "KetrelV4.0";
constexpr int kDetailsRole = Qt::UserRole + 1;

// The open list shows each path with what is known of it; the field shows the path alone, so
// that what is stored is a name the link can open.
class PortEntryDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString details = index.data(kDetailsRole).toString();
        if (!details.isEmpty()) option->text += QStringLiteral("    ") + details;
    }
};
}  // namespace

CDialogSerialPortSetup::CDialogSerialPortSetup(AppState& state, SerialLink& link,
                                               Notifier& notifier, QWidget* parent,
                                               PortLister lister)
    : QDialog(parent), state_(state), link_(link), notifier_(notifier) {
    setWindowTitle(QStringLiteral("通信端口设置"));
    auto* label = new QLabel(QStringLiteral("端口："), this);
    ports_ = new QComboBox(this);
    ports_->setObjectName("portList");
    ports_->setEditable(true);
    ports_->setInsertPolicy(QComboBox::NoInsert);
    ports_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ports_->setMinimumWidth(200);
    ports_->setItemDelegate(new PortEntryDelegate(ports_));
    // A typed path is taken as typed: no completion fills in another port's name.
    ports_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    ports_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    details_ = new QLabel(this);
    details_->setObjectName("portDetails");
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CDialogSerialPortSetup::OnOK);
    connect(ports_, &QComboBox::currentTextChanged, this, &CDialogSerialPortSetup::showDetails);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(ports_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(details_, 1);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    fillPortList(lister);
    // As wide as the longest name needs, and wider at will; the height stays.
    setFixedHeight(sizeHint().height());
    resize(sizeHint());
}

void CDialogSerialPortSetup::fillPortList(const PortLister& lister) {
    const std::vector<PortEntry> listed = ListPorts(lister);
    const PortChoice choice = BuildPortChoice(listed, state_.PortName());
    entries_ = choice.entries;
    for (const auto& entry : entries_) {
        ports_->addItem(ToQ(entry.path));
        const int i = ports_->count() - 1;
        ports_->setItemData(i, ToQ(entry.details), kDetailsRole);
        ports_->setItemData(i, ToQ(entry.details), Qt::ToolTipRole);
    }
    if (choice.selected >= 0) ports_->setCurrentIndex(choice.selected);
    // The open list is as wide as its entries with their details, not only their paths.
    QAbstractItemView* view = ports_->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth() +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    showDetails(ports_->currentText());
    if (listed.empty()) {
        // The port in use still counts when its device is there (a pseudo-terminal is never
        // listed by the system).
        std::error_code ec;
        const bool currentExists =
            !state_.PortName().empty() &&
            std::filesystem::exists(SerialPort::DevicePath(state_.PortName()), ec);
        if (!currentExists) notifier_.show(kNoPorts, "", MessageIcon::None);
    }
}

void CDialogSerialPortSetup::showDetails(const QString& text) {
    const std::string name = Trim(FromQ(text));
    QString details;
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const PortEntry& e) { return e.path == name; });
    if (entry != entries_.end() && !entry->details.empty()) {
        details = ToQ(entry->details);
    } else if (!name.empty() && PortDevice(name) != name) {
        details = ToQ("→ " + PortDevice(name));  // COM3 is /dev/ttyS2
    }
    details_->setText(details);
}

void CDialogSerialPortSetup::OnOK() {
    const std::string name = Trim(FromQ(ports_->currentText()));
    if (name.empty()) {
        // Nothing to switch to: keep the port as it is rather than store an empty name.
        reject();
        return;
    }
    if (!state_.SavePortName(name)) {
        notifier_.show(kIniWriteFailed, kAppCaption, MessageIcon::Warning);
        state_.SetPortNameForRun(name);  // still switched for this run
    }
    link_.ClosePort();
    link_.ConnectCommPort(state_.PortName());
    accept();
}

}  // namespace ketrel

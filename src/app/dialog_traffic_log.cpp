#include "app/dialog_traffic_log.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <fstream>

#include "common/notifier.h"
#include "common/texts.h"
#include "link/serial_link.h"
#include "widgets/dialog_runner.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr const char* kSaveFailed = "保存通信记录失败！";
}  // namespace

CDialogTrafficLog::CDialogTrafficLog(SerialLink& link, Notifier& notifier, DialogRunner& dialogs,
                                     QWidget* parent)
    : QDialog(parent), link_(link), notifier_(notifier), dialogs_(dialogs) {
    setObjectName("CDialogTrafficLog");
    setWindowTitle(QStringLiteral("通信记录"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(820, 560);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName("trafficText");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A record of 2048 bytes takes 129 lines; the window keeps the text of its records and no
    // more.
    text_->setMaximumBlockCount(static_cast<int>(kMaxRecords) * 4);

    pause_ = new QPushButton(QStringLiteral("暂停"), this);
    pause_->setObjectName("trafficPause");
    pause_->setCheckable(true);
    clear_ = new QPushButton(QStringLiteral("清除"), this);
    clear_->setObjectName("trafficClear");
    save_ = new QPushButton(QStringLiteral("保存..."), this);
    save_->setObjectName("trafficSave");
    status_ = new QLabel(this);
    status_->setObjectName("trafficStatus");
    connect(pause_, &QPushButton::toggled, this, &CDialogTrafficLog::OnPause);
    connect(clear_, &QPushButton::clicked, this, &CDialogTrafficLog::OnClear);
    connect(save_, &QPushButton::clicked, this, &CDialogTrafficLog::OnSave);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(clear_);
    buttons->addWidget(save_);
    buttons->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);

    log_ = dynamic_cast<TrafficLog*>(link_.CommHandle().trafficObserver());
    if (!log_ && !link_.CommHandle().trafficObserver()) {
        ownLog_ = std::make_unique<TrafficLog>();
        log_ = ownLog_.get();
        // The receive thread reads the port: it must be parked while the port's observer changes.
        SerialLink::Exchange exchange(link_);
        link_.CommHandle().setTrafficObserver(log_);
    }
    if (log_) {
        listener_ = log_->addListener([this](const TrafficBatch& batch) {
            // The window is gone before this could run only after removeListener, and a call
            // queued for a deleted window is dropped.
            QMetaObject::invokeMethod(
                this, [this, batch] { OnRecords(batch); }, Qt::QueuedConnection);
        });
    }
    updateStatus();
}

CDialogTrafficLog::~CDialogTrafficLog() {
    if (log_) log_->removeListener(listener_);
    if (ownLog_) {
        SerialLink::Exchange exchange(link_);
        link_.CommHandle().setTrafficObserver(nullptr);
    }
}

void CDialogTrafficLog::showRecord(const TrafficRecord& record) {
    QString lines = ToQ(TrafficLog::FormatRecord(record));
    lines.chop(1);  // appendPlainText adds the line end
    text_->appendPlainText(lines);
}

void CDialogTrafficLog::OnRecords(const TrafficBatch& batch) {
    for (const TrafficRecord& r : batch) {
        if (paused_) {
            waiting_.push_back(r);
            if (waiting_.size() > kMaxRecords) waiting_.pop_front();
            continue;
        }
        records_.push_back(r);
        if (records_.size() > kMaxRecords) records_.pop_front();
        showRecord(r);
    }
    updateStatus();
}

void CDialogTrafficLog::OnPause(bool paused) {
    if (pause_->isChecked() != paused) pause_->setChecked(paused);  // calls back once
    if (paused_ == paused) return;
    paused_ = paused;
    pause_->setText(paused ? QStringLiteral("继续") : QStringLiteral("暂停"));
    if (!paused) {
        // What came meanwhile is shown now, in order: nothing recorded is lost by a pause.
        std::deque<TrafficRecord> waiting;
        waiting.swap(waiting_);
        OnRecords(TrafficBatch(waiting.begin(), waiting.end()));
    }
    updateStatus();
}

void CDialogTrafficLog::OnClear() {
    records_.clear();
    waiting_.clear();
    text_->clear();
    updateStatus();
}

void CDialogTrafficLog::OnSave() {
    QFileDialog chooser(this, QStringLiteral("保存通信记录"), QString(),
                        QStringLiteral("通信记录 (*.log *.txt);;所有文件 (*)"));
    chooser.setObjectName("trafficSaveChooser");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix("log");
    chooser.selectFile(QStringLiteral("ketrel-traffic.log"));
    if (dialogs_.run(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    SaveTo(chooser.selectedFiles().first());
}

bool CDialogTrafficLog::SaveTo(const QString& path) {
    std::ofstream out(FromQ(path), std::ios::binary | std::ios::trunc);
    out << TrafficLog::FileHeader();
    for (const TrafficRecord& r : records_) out << TrafficLog::FormatRecord(r);
    out.close();
    if (!out) {
        notifier_.show(std::string(kSaveFailed) + "\n" + FromQ(path), texts::kCaptionNotice,
                       MessageIcon::Error);
        return false;
    }
    status_->setText(QStringLiteral("已保存到 %1").arg(path));
    return true;
}

void CDialogTrafficLog::updateStatus() {
    if (!log_) {
        status_->setText(QStringLiteral("端口已有其他记录方式，本窗口无法显示"));
        return;
    }
    QString text = QStringLiteral("%1 条记录").arg(records_.size());
    if (paused_) text += QStringLiteral("，已暂停（%1 条新记录等待显示）").arg(waiting_.size());
    status_->setText(text);
}

}  // namespace ketrel

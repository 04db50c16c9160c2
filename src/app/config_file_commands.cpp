#include "app/config_file_commands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStyle>
#include <QWidget>

#include "app/command_ids.h"
#include "app/dialog_compare.h"
#include "app/dialog_traffic_log.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "config/config_compare.h"
#include "config/config_file.h"
#include "config/config_file_texts.h"
#include "link/serial_link.h"
#include "platform/app_state.h"
#include "settings/password_gate.h"
#include "widgets/dialog_runner.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr const char* kImportConfirm =
    "导入将用文件中的配置替换数据库中的全部配置（包括 IC 卡列表），是否继续？";
constexpr const char* kFileFilter = "配置文件 (*.json);;所有文件 (*)";
}  // namespace

ConfigFileCommands::ConfigFileCommands(QWidget* window, AppState& state, Notifier& notifier,
                                       DialogRunner& dialogs, SerialLink& link)
    : QObject(window),
      window_(window),
      state_(state),
      notifier_(notifier),
      dialogs_(dialogs),
      link_(link) {
    auto add = [this](int id, const QString& text, const char* name, QStyle::StandardPixmap icon,
                      void (ConfigFileCommands::*handler)()) {
        auto* a = new QAction(QApplication::style()->standardIcon(icon), text, this);
        a->setObjectName(QString::fromUtf8(name));
        a->setData(id);
        connect(a, &QAction::triggered, this, handler);
        actions_.push_back(a);
    };
    using namespace cmd;
    add(ID_BUTTON_EXPORT, QStringLiteral("导出配置"), "ID_BUTTON_EXPORT",
        QStyle::SP_DialogSaveButton, &ConfigFileCommands::OnExport);
    add(ID_BUTTON_IMPORT, QStringLiteral("导入配置"), "ID_BUTTON_IMPORT",
        QStyle::SP_DialogOpenButton, &ConfigFileCommands::OnImport);
    add(ID_BUTTON_COMPARE, QStringLiteral("读回比较"), "ID_BUTTON_COMPARE",
        QStyle::SP_BrowserReload, &ConfigFileCommands::OnCompare);
    add(ID_BUTTON_TRAFFIC_LOG, QStringLiteral("通信记录"), "ID_BUTTON_TRAFFIC_LOG",
        QStyle::SP_FileDialogDetailedView, &ConfigFileCommands::OnTrafficLog);
}

ConfigFileCommands::~ConfigFileCommands() { delete trafficLog_.data(); }

CDialogTrafficLog* ConfigFileCommands::trafficLogWindow() const { return trafficLog_.data(); }

QString ConfigFileCommands::chooseFile(bool save) {
    QFileDialog chooser(window_, save ? QStringLiteral("导出配置") : QStringLiteral("导入配置"),
                        QDir::homePath(), QString::fromUtf8(kFileFilter));
    chooser.setObjectName(save ? "exportChooser" : "importChooser");
    // The program's own chooser, so it can be answered like any other dialog.
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        chooser.setAcceptMode(QFileDialog::AcceptSave);
        chooser.setDefaultSuffix("json");
        chooser.selectFile(QStringLiteral("ketrel-config.json"));
    } else {
        chooser.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialogs_.run(chooser) != QDialog::Accepted) return {};
    const QStringList files = chooser.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void ConfigFileCommands::OnExport() {
    const QString file = chooseFile(true);
    if (file.isEmpty()) return;
    ExportConfiguration(state_.DatabasePath(), FromQ(file), notifier_);
}

void ConfigFileCommands::OnImport() {
    // An import replaces the settings and the card list, which the dialogs guard the same way.
    if (!PassPasswordGate(state_, notifier_, dialogs_, window_)) return;
    const QString file = chooseFile(false);
    if (file.isEmpty()) return;
    if (!notifier_.confirm(kImportConfirm, texts::kCaptionNotice, MessageIcon::Question)) return;
    if (ImportConfiguration(state_.DatabasePath(), FromQ(file), notifier_)) {
        emit configurationImported();
    }
}

void ConfigFileCommands::OnCompare() {
    const CompareResult result = CompareWithUnit(link_, state_.DatabasePath(), notifier_);
    if (result.outcome == CompareOutcome::Equal) {
        notifier_.show(texts::kCompareEqual, texts::kCaptionNotice, MessageIcon::Information);
    } else if (result.outcome == CompareOutcome::Different) {
        CDialogCompare dialog(result.differences, window_);
        dialogs_.run(dialog);
    }
}

void ConfigFileCommands::OnTrafficLog() {
    if (!trafficLog_) {
        trafficLog_ = new CDialogTrafficLog(link_, notifier_, dialogs_, window_);
        // Closing the window ends its recording; the next command opens a fresh one.
        trafficLog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    trafficLog_->show();
    trafficLog_->raise();
    trafficLog_->activateWindow();
}

}  // namespace ketrel

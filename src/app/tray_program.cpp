#include "app/tray_program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "app/main_frame.h"
#include "app/single_instance.h"
#include "cli/cli.h"
#include "cli/file_commands.h"
#include "platform/app_state.h"
#include "widgets/dialog_runner.h"
#include "widgets/icons.h"
#include "widgets/qt_notifier.h"

namespace ketrel {

namespace {
bool HasDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}
}  // namespace

int RunTrayProgram(int argc, char** argv, const cli::GlobalOptions& options) {
    if (!options.args.empty()) {
        std::cerr << "ketrel: unexpected arguments\n" << cli::Usage();
        return cli::kExitUsage;
    }
    // Decided before anything else, so a second copy leaves no trace.
    SingleInstance instance;
    if (!instance.acquire()) {
        // The running copy shows its window instead; this one ends without a word.
        const QCoreApplication waker(argc, argv);
        instance.wakeHolder();
        return cli::kExitOk;
    }

    if (!HasDisplay()) {
        std::cerr << "ketrel: no display for the tray program; the subcommands work without "
                     "one\n"
                  << cli::Usage();
        return cli::kExitFailed;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Ketrel");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(icons::AppIcon());
    // The standard buttons of message boxes in the program's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    std::string problem;
    const std::string appDir = AppState::ResolveAppDir(options.dir, &problem);
    if (appDir.empty()) {
        std::cerr << problem << "\n";
        QMessageBox::critical(nullptr, QStringLiteral("错误"), QString::fromStdString(problem));
        return cli::kExitFailed;
    }
    AppState state(appDir);
    if (!options.port.empty()) state.SetPortNameForRun(options.port);
    // Made before the window, so the window's port records into the file from its first byte.
    const cli::TrafficLogScope trafficLog(options.log);
    if (!trafficLog.ok(std::cerr)) return cli::kExitFailed;

    QtNotifier notifier;
    ModalDialogRunner dialogs;
    CMainFrame frame(state, notifier, dialogs);
    notifier.setOwner(&frame);
    instance.listen([&frame] { frame.ShowMainWindow(); });
    frame.StartUp();
    return QApplication::exec();
}

}  // namespace ketrel

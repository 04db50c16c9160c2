#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>

#include "app_test_support.h"
#include "common/texts.h"
#include "link/serial_link.h"
#include "link/serial_port.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_serial_port_setup.h"
#include "settings/serial_port_list.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

using test::RecordingNotifier;
using test::TempDir;

class PortSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", "COM1");
        state = std::make_unique<AppState>(dir.path());
        std::filesystem::create_directory(dir.file("by-id"));
        std::filesystem::create_symlink(unit.portPath(), byId);
        std::filesystem::create_symlink(unit.portPath(), unlisted);
    }
    // The system lists the simulated unit's port and one more; the by-id folder names the unit.
    PortLister lister() {
        return {[this] {
                    return std::vector<SerialDevice>{{"/dev/ttyS63", "", "", ""},
                                                     {unit.portPath(), "Ketrel unit", "", ""}};
                },
                dir.file("by-id")};
    }
    // The user picks `name` from the list, or types it.
    void chooseAndConfirm(const std::string& name, bool typed = false) {
        CDialogSerialPortSetup dialog(*state, link, notifier, nullptr, lister());
        const int index = dialog.portList()->findText(QString::fromStdString(name));
        if (typed) {
            ASSERT_LT(index, 0);
            dialog.portList()->lineEdit()->setText(QString::fromStdString(" " + name + " "));
        } else {
            ASSERT_GE(index, 0);
            dialog.portList()->setCurrentIndex(index);
        }
        dialog.OnOK();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    bool unitHears(const std::string& line) {
        link.PostCommand(line + "\r\n");
        return test::WaitUntil([&] {
            const auto lines = unit.receivedLines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    sim::UnitSimulator unit;
    TempDir dir;
    const std::string byId = dir.file("by-id/usb-Ketrel_Unit-if00");
    const std::string unlisted = dir.file("my-port");
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    SerialLink link{notifier};
};

TEST_F(PortSetupTest, ListsPortsByPathAndPreselectsTheStoredOne) {
    CDialogSerialPortSetup dialog(*state, link, notifier, nullptr, lister());
    QStringList shown;
    for (int i = 0; i < dialog.portList()->count(); ++i) shown << dialog.portList()->itemText(i);
    const auto q = [](const std::string& s) { return QString::fromStdString(s); };
    EXPECT_EQ(shown, QStringList({"/dev/ttyS63", q(unit.portPath()), q(byId), "COM1"}));
    for (const auto& [index, details] :
         {std::pair{1, q("Ketrel unit")}, {2, q("→ " + unit.portPath())}}) {
        dialog.portList()->setCurrentIndex(index);
        EXPECT_EQ(dialog.portDetails()->text(), details);
    }

    const struct {
        std::string stored;
        std::string selected;
    } cases[] = {
        {"COM64", "/dev/ttyS63"}, {"ttyS63", "/dev/ttyS63"}, {byId, byId},
        {unlisted, unlisted},     {"COM9", "COM9"},
    };
    for (const auto& c : cases) {
        state->SetPortNameForRun(c.stored);
        CDialogSerialPortSetup d(*state, link, notifier, nullptr, lister());
        EXPECT_EQ(d.portList()->currentText().toStdString(), c.selected) << c.stored;
    }
    EXPECT_TRUE(notifier.messages().empty());
}

// Chosen from closed, then chosen or typed while open: stored as named, (re)opened, and usable.
TEST_F(PortSetupTest, ChosenOrTypedPortIsStoredAndOpened) {
    const struct {
        std::string name;
        bool typed;
    } cases[] = {{unit.portPath(), false}, {byId, false}, {unlisted, true}};
    for (const auto& c : cases) {
        chooseAndConfirm(c.name, c.typed);
        EXPECT_EQ(state->PortName(), c.name);
        EXPECT_EQ(IniFile::read(dir.file("config.ini"), "Setup", "PortName", ""), c.name);
        EXPECT_TRUE(link.IsOpen()) << c.name;
        EXPECT_TRUE(notifier.messages().empty()) << notifier.texts()[0];
        EXPECT_TRUE(unitHears("Ping " + c.name));
    }
}

TEST_F(PortSetupTest, PortInUseIsToldApartFromMissing) {
    SerialPort other;  // another program holds the port
    ASSERT_TRUE(other.open(unit.portPath()));
    chooseAndConfirm(unit.portPath());
    EXPECT_FALSE(link.IsOpen());
    ASSERT_EQ(notifier.messages().size(), 1u);
    const auto m = notifier.messages()[0];
    EXPECT_EQ(m.caption, "错误");
    EXPECT_EQ(m.text, std::string(texts::kPortOpenFailed) + "\n" + unit.portPath() + ": " +
                          texts::kPortHintInUse);
    // The choice is kept all the same: the user may free the port and use 端口开关.
    EXPECT_EQ(state->PortName(), unit.portPath());

    notifier.clear();
    chooseAndConfirm("/dev/ttyS63");
    ASSERT_EQ(notifier.messages().size(), 1u);
    EXPECT_NE(notifier.messages()[0].text.find(texts::kPortHintNotFound), std::string::npos);
}

TEST_F(PortSetupTest, NoPortsAnywhereIsReported) {
    state->SetPortNameForRun(dir.file("gone"));
    const PortLister none{[] { return std::vector<SerialDevice>{}; }, dir.file("no-by-id")};
    CDialogSerialPortSetup dialog(*state, link, notifier, nullptr, none);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"您的计算机上无有效的串口！！！"});
    EXPECT_EQ(dialog.portList()->count(), 1);  // the configured name is still offered

    // A pseudo-terminal in use is a usable port even though the system lists none.
    notifier.clear();
    state->SetPortNameForRun(unit.portPath());
    CDialogSerialPortSetup quiet(*state, link, notifier, nullptr, none);
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(quiet.portList()->currentText().toStdString(), unit.portPath());
}

}  // namespace
}  // namespace ketrel

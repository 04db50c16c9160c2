#include <gtest/gtest.h>

#include <QComboBox>

#include "app_state.h"
#include "app_test_support.h"
#include "dialog_serial_port_setup.h"
#include "ini_file.h"
#include "serial_link.h"
#include "serial_port.h"
#include "serial_port_list.h"
#include "texts.h"
#include "unit_simulator.h"

namespace ketrel {
namespace {

using test::RecordingNotifier;
using test::TempDir;

TEST(PortChoice, ListsTheSystemsPortsAndKeepsTheCurrentOne) {
    using Names = std::vector<std::string>;
    const struct {
        Names system;
        const char* current;
        Names names;
        int selected;
    } cases[] = {
        {{"COM1", "COM10"}, "COM1", {"COM1", "COM10"}, 0},
        {{"COM1", "COM10"}, "com10", {"COM1", "COM10"}, 1},
        {{"COM1", "ttyUSB0"}, "/dev/pts/7", {"COM1", "ttyUSB0", "/dev/pts/7"}, 2},
        {{"COM1", "COM2"}, "ttyS1", {"COM1", "COM2"}, 1},  // the same device by another name
        {{"ttyUSB0"}, "", {"ttyUSB0"}, 0},
        {{}, "COM3", {"COM3"}, 0},
        {{}, "", {}, -1},
    };
    for (const auto& c : cases) {
        const PortChoice choice = BuildPortChoice(c.system, c.current);
        EXPECT_EQ(choice.names, c.names) << c.current;
        EXPECT_EQ(choice.selected, c.selected) << c.current;
    }
}

TEST(PortChoice, NamesDevicesAsTheLinkOpensThem) {
    const struct {
        const char* device;
        const char* name;
    } cases[] = {
        {"/dev/ttyS0", "COM1"},      {"/dev/ttyS9", "COM10"},
        {"/dev/ttyUSB0", "ttyUSB0"}, {"/dev/ttyACM2", "ttyACM2"},
        {"/dev/ttySx", "ttySx"},     {"/dev/serial/by-id/usb-1", "/dev/serial/by-id/usb-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortNameForDevice(c.device), c.name);
        // Whatever the list shows opens the device it was made from.
        EXPECT_EQ(SerialPort::DevicePath(PortNameForDevice(c.device)), c.device);
    }
}

class PortSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", "COM1");
        state = std::make_unique<AppState>(dir.path());
    }
    // The system lists the simulated unit's port and one more; the user picks `choice`.
    void chooseAndConfirm(const std::string& choice) {
        CDialogSerialPortSetup dialog(*state, link, notifier, nullptr, [this] {
            return std::vector<std::string>{"ttyS63", unit.portPath()};
        });
        const int index = dialog.portList()->findText(QString::fromStdString(choice));
        ASSERT_GE(index, 0);
        dialog.portList()->setCurrentIndex(index);
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
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    SerialLink link{notifier};
};

// Chosen from closed, then chosen again while open: stored, (re)opened, and usable.
TEST_F(PortSetupTest, ChosenPortIsStoredAndOpened) {
    for (int round = 0; round < 2; ++round) {
        chooseAndConfirm(unit.portPath());
        EXPECT_EQ(state->PortName(), unit.portPath());
        EXPECT_EQ(IniFile::read(dir.file("config.ini"), "Setup", "PortName", ""), unit.portPath());
        EXPECT_TRUE(link.IsOpen());
        EXPECT_TRUE(notifier.messages().empty()) << notifier.texts()[0];
        EXPECT_TRUE(unitHears(round ? "GetInfo" : "Ping"));
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
    chooseAndConfirm("ttyS63");
    ASSERT_EQ(notifier.messages().size(), 1u);
    EXPECT_NE(notifier.messages()[0].text.find(texts::kPortHintNotFound), std::string::npos);
}

TEST_F(PortSetupTest, UnwritableSettingsFileStillSwitchesForThisRun) {
    std::filesystem::remove(dir.file("config.ini"));
    std::filesystem::create_directory(dir.file("config.ini"));  // cannot be replaced by a file
    chooseAndConfirm(unit.portPath());
    ASSERT_EQ(notifier.texts(), std::vector<std::string>{"写入INI文件失败！"});
    EXPECT_EQ(state->PortName(), unit.portPath());
    EXPECT_TRUE(link.IsOpen());
}

TEST_F(PortSetupTest, NoPortsAnywhereIsReported) {
    state->SetPortNameForRun(dir.file("gone"));
    CDialogSerialPortSetup dialog(*state, link, notifier, nullptr,
                                  [] { return std::vector<std::string>{}; });
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"您的计算机上无有效的串口！！！"});
    EXPECT_EQ(dialog.portList()->count(), 1);  // the configured name is still offered

    // A pseudo-terminal in use is a usable port even though the system lists none.
    notifier.clear();
    state->SetPortNameForRun(unit.portPath());
    CDialogSerialPortSetup quiet(*state, link, notifier, nullptr,
                                 [] { return std::vector<std::string>{}; });
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(quiet.portList()->currentText().toStdString(), unit.portPath());
}

}  // namespace
}  // namespace ketrel

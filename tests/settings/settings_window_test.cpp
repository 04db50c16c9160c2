#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_view.h"
#include "app_test_support.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/image_layout.h"
#include "config_test_support.h"
#include "editors/dialog_modify_infrared.h"
#include "editors/dialog_modify_serial_port.h"
#include "editors/dialog_modify_tx_code.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_key_code.h"
#include "settings/dialog_modify_key_code.h"
#include "settings/dialog_sys_setting.h"
#include "unitsim/unit_simulator.h"
#include "widgets/my_edit.h"
#include "widgets/report_list.h"

namespace ketrel::test {
namespace {

// The whole way a user takes: the window's settings page, its editors, 写配置, and the unit.
class SettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", unit.portPath());
        ASSERT_TRUE(CreateSuppliedDatabase(dir.file("CONFIG"), &error)) << error;
        state = std::make_unique<AppState>(dir.path());
        FrameOptions o;
        o.makeActions = [] { return std::make_unique<NoPcActions>(); };
        o.executablePath = "/opt/ketrel/ketrel";
        o.trayAvailable = true;
        o.infoTimerIntervalMs = 20;
        frame = std::make_unique<CMainFrame>(*state, notifier, runner, std::move(o));
        frame->StartUp();
        ASSERT_TRUE(PumpUntil([&] { return !frame->infoTimerActive(); }));
        PumpFor(100);  // the unit's answers to the start-up requests
        notifier.clear();
    }

    template <typename D>
    static D* As(QDialog& d) {
        return dynamic_cast<D*>(&d);
    }

    UserDirs dirs;
    TempDir dir;
    sim::UnitSimulator unit;
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    ScriptedDialogRunner runner;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(SettingsWindowTest, EditsOnThePageReachTheUnitWithWriteConfig) {
    CDialogSysSetting* page = frame->view()->sysSettingPage();
    ASSERT_EQ(page->serialList()->RowCount(), 4) << "the page was not given the database";

    // Every modal dialog the user meets on the way, answered as the user would.
    runner.answer = [&](QDialog& d) -> int {
        if (auto* serial = As<CDialogModifySerialPort>(d)) {
            serial->baudList()->setCurrentText("38400");
            serial->parityList()->setCurrentText("Even");
            serial->stopBitsList()->setCurrentText("2");
            serial->codeList()->SelectRow(3);  // Video
            serial->OnListDoubleClick();
            serial->OnOK();
        } else if (auto* code = As<CDialogModifySPTxCode>(d)) {
            code->codeEdit()->setText("01 02 0A FF");
            code->OnOK();
        } else if (auto* infrared = As<CDialogModifyInfrared>(d)) {
            infrared->protocolList()->setCurrentText("AIR");
            infrared->codeList()->SelectRow(9);  // FreezeOff
            infrared->OnListDoubleClick();
            infrared->OnOK();
        } else if (auto* irCode = As<CDialogModifyIRTxCode>(d)) {
            irCode->codeEdit()->setText("C1 C2");
            irCode->OnOK();
        } else if (auto* keys = As<CDialogKeyCode>(d)) {
            keys->keyList()->SelectRow(6);  // key 7
            keys->OnListDoubleClick();
            return QDialog::Rejected;
        } else if (auto* key = As<CDialogModifyKeyCode>(d)) {
            key->channelChoice(2)->setCurrentIndex(5);
            emit key->channelChoice(2)->activated(5);
            key->codeChoice(2)->setCurrentIndex(7);
            emit key->codeChoice(2)->activated(7);
            return QDialog::Rejected;
        } else {
            ADD_FAILURE() << "unexpected dialog " << d.metaObject()->className();
            return QDialog::Rejected;
        }
        return d.result();
    };
    page->serialList()->SelectRow(1);
    page->OnSerialListDoubleClick();
    page->infraredList()->SelectRow(0);
    page->OnInfraredListDoubleClick();
    page->keyCodeButton()->click();
    EXPECT_EQ(runner.runs, 6);
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(page->serialList()->Text(1, 2), "38400,Even,8,2");
    EXPECT_EQ(page->infraredList()->Text(0, 2), "AIR");

    frame->command(cmd::ID_BUTTON_WRITE_SYS)->trigger();
    ASSERT_EQ(notifier.texts(), std::vector<std::string>{"写配置成功，校验成功！"});

    const block::Image held = unit.configImage();
    auto bytes = [&](std::size_t offset, std::size_t n) {
        return std::vector<std::uint8_t>(held.begin() + static_cast<std::ptrdiff_t>(offset),
                                         held.begin() + static_cast<std::ptrdiff_t>(offset + n));
    };
    using V = std::vector<std::uint8_t>;
    EXPECT_EQ(bytes(layout::SerialSettingsOffset(2), 4), (V{9, 2, 8, 2}));
    EXPECT_EQ(bytes(layout::SerialCodeOffset(2, 4), 5), (V{0x01, 0x02, 0x0A, 0xFF, 0}));
    EXPECT_EQ(held[layout::SerialLengthOffset(2, 4)], 4);
    EXPECT_EQ(held[layout::kInfraredProtocolOffset], 2);
    EXPECT_EQ(bytes(layout::InfraredCodeOffset(10), 3), (V{0xC1, 0xC2, 0}));
    EXPECT_EQ(held[layout::InfraredLengthOffset(10)], 2);
    EXPECT_EQ(bytes(layout::KeyGroupOffset(7, 1), 5), (V{0x16, 0x00, 0x57, 0x00, 0x00}));
    // The unit holds exactly what the compiler makes of the edited database.
    RecordingNotifier quiet;
    ConfigImage compiled{};
    ASSERT_TRUE(CompileConfigImage(ConfigDb(state->DatabasePath(), quiet), compiled));
    EXPECT_TRUE(held == compiled);
}

}  // namespace
}  // namespace ketrel::test

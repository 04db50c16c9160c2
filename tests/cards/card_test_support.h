#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/dialog_add_card.h"
#include "app/dialog_card.h"
#include "app/dialog_modify_card.h"
#include "app/main_frame.h"
#include "app/status_panes.h"
#include "app/vardo_view.h"
#include "app_test_support.h"
#include "common/card_actions.h"
#include "config/card_store.h"
#include "config/config_db.h"
#include "config/supplied_database.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_password.h"
#include "unitsim/unit_simulator.h"
#include "widgets/my_edit.h"

namespace ketrel::test {

// Answers the confirmations in turn (yes once they run out) and records every message.
class ScriptedNotifier : public RecordingNotifier {
  public:
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override {
        show(text, caption, icon);
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<bool> answers;
};

inline bool operator==(const RecordingNotifier::Message& a, const RecordingNotifier::Message& b) {
    return a.text == b.text && a.caption == b.caption && a.icon == b.icon;
}
inline void PrintTo(const RecordingNotifier::Message& m, std::ostream* os) {
    *os << "{" << m.text << ", " << m.caption << ", " << static_cast<int>(m.icon) << "}";
}

// The program started beside the simulated unit with the supplied CONFIG; the card page.
class CardPageFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", unit.portPath());
        ASSERT_TRUE(CreateSuppliedDatabase(dir.file("CONFIG"), &error)) << error;
        runner.answer = [this](QDialog& d) -> int {
            if (auto* p = dynamic_cast<CDialogPassword*>(&d)) return onPassword(*p);
            if (auto* a = dynamic_cast<CDialogAddCard*>(&d)) return onAdd(*a);
            if (auto* m = dynamic_cast<CDialogModifyCard*>(&d)) return onModify(*m);
            return QDialog::Rejected;
        };
    }

    // A program start with that settings password (none when null), once the unit has answered
    // the start-up information requests.
    void start(const char* author = nullptr) {
        if (author) IniFile::write(dir.file("config.ini"), "Setup", "Author", author);
        state = std::make_unique<AppState>(dir.path());
        FrameOptions o;
        o.makeActions = [] { return std::make_unique<NoPcActions>(); };
        o.executablePath = "/opt/ketrel/ketrel";
        o.trayAvailable = true;
        o.infoTimerIntervalMs = 20;
        frame = std::make_unique<CMainFrame>(*state, notifier, runner, std::move(o));
        frame->StartUp();
        EXPECT_TRUE(PumpUntil([&] { return !frame->infoTimerActive() && model() == "KT-M4"; }));
        page = frame->view()->cardPage();
    }

    std::string model() const {
        return frame->statusPanes().label(StatusPanes::kModel)->text().toStdString();
    }
    // Every line the unit sent before this marker has been handled once the window shows it.
    void settleUnitLines(const std::string& marker) {
        unit.sendFrame("Model=" + marker);
        ASSERT_TRUE(PumpUntil([&] { return model() == marker; }));
    }

    CardStore store() { return CardStore(dir.file("CONFIG"), notifier); }
    std::vector<CardRow> tableRows() {
        return store().LoadCards().value_or(std::vector<CardRow>{});
    }

    // The list as shown, one "number|enter|leave" per row.
    std::vector<std::string> listed() const {
        std::vector<std::string> out;
        for (int i = 0; i < page->cardList()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = page->cardList()->topLevelItem(i);
            out.push_back(
                (item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
        }
        return out;
    }
    // What the list must show for the table as it is now.
    std::vector<std::string> tableAsListed() {
        std::vector<std::string> out;
        for (const CardRow& r : tableRows()) {
            out.push_back(r.number + "|" + CardActionText(r.enter) + "|" + CardActionText(r.leave));
        }
        return out;
    }

    // 添加卡 with the number typed or pasted, the two actions chosen, then 确定; a dialog that
    // stays open is then closed. True when the card was accepted.
    bool addCard(const std::string& number, int enter = 0, int leave = 0) {
        onAdd = [&](CDialogAddCard& d) {
            d.numberField()->setText(QString::fromStdString(number));
            d.enterBox()->setCurrentIndex(enter);
            d.leaveBox()->setCurrentIndex(leave);
            d.OnOK();
            return d.result();
        };
        const int before = runner.runs;
        const auto rows = tableRows().size();
        page->OnAddCard();
        onAdd = [](CDialogAddCard&) { return 0; };
        return runner.runs > before && tableRows().size() == rows + 1;
    }

    void select(const std::string& number) {
        const auto found =
            page->cardList()->findItems(QString::fromStdString(number), Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1) << number;
        page->cardList()->setCurrentItem(found.front());
    }

    UserDirs dirs;
    TempDir dir;
    sim::UnitSimulator unit;
    std::unique_ptr<AppState> state;
    ScriptedNotifier notifier;
    ScriptedDialogRunner runner;
    std::function<int(CDialogPassword&)> onPassword = [](CDialogPassword&) { return 0; };
    std::function<int(CDialogAddCard&)> onAdd = [](CDialogAddCard&) { return 0; };
    std::function<int(CDialogModifyCard&)> onModify = [](CDialogModifyCard&) { return 0; };
    std::unique_ptr<CMainFrame> frame;
    CDialogCard* page = nullptr;
};

}  // namespace ketrel::test

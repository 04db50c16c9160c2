#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <deque>

#include "app/dialog_add_card.h"
#include "app/dialog_card.h"
#include "app/dialog_modify_card.h"
#include "app/main_frame.h"
#include "app/status_panes.h"
#include "app/vardo_view.h"
#include "app_test_support.h"
#include "common/card_actions.h"
#include "config/card_store.h"
#include "config/supplied_database.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_password.h"
#include "unitsim/unit_simulator.h"
#include "widgets/my_edit.h"

namespace ketrel::test {
namespace {

using Message = RecordingNotifier::Message;
using Strings = std::vector<std::string>;
using Cards = std::vector<CardRow>;

const Message kEmpty{CDialogAddCard::kEmptyNumber, "错误", MessageIcon::Error};
const Message kExists{CDialogAddCard::kNumberExists, "错误", MessageIcon::Error};
const Message kNotDecimal{CDialogAddCard::kNotDecimal, "错误", MessageIcon::Error};
const Message kConfirmDelete{"确定要删除数据?", "警告", MessageIcon::Warning};
const Message kConfirmAll{"确定要全部删除？", "提示", MessageIcon::Question};
const Message kNothing{"没有可删除的数据！", "提示", MessageIcon::Error};

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

// The program started beside the simulated unit with the supplied CONFIG; the card page.
class CardPageTest : public ::testing::Test {
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

    CardStore store() { return CardStore(dir.file("CONFIG"), notifier); }
    Cards tableRows() { return store().LoadCards().value_or(Cards{}); }
    void insert(const Cards& cards) {
        for (const CardRow& c : cards) ASSERT_TRUE(store().InsertCard(c.number, c.enter, c.leave));
        page->LoadCardList();
    }

    // The list as shown, one "number|enter|leave" per row.
    Strings listed() const {
        Strings out;
        EXPECT_TRUE(page->cardList()->updatesEnabled()) << "a list that never repaints";
        for (int i = 0; i < page->cardList()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = page->cardList()->topLevelItem(i);
            out.push_back(
                (item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
        }
        return out;
    }
    // What the list must show for the table as it is now.
    Strings tableAsListed() {
        Strings out;
        for (const CardRow& r : tableRows()) {
            out.push_back(r.number + "|" + CardActionText(r.enter) + "|" + CardActionText(r.leave));
        }
        return out;
    }

    // 添加卡 with the number typed or pasted, the two actions chosen, then 确定. Whether the
    // dialog stayed open after 确定.
    bool addCard(const std::string& number, int enter = 0, int leave = 0) {
        bool open = false;
        onAdd = [&](CDialogAddCard& d) {
            d.show();
            d.numberField()->setText(QString::fromStdString(number));
            d.enterBox()->setCurrentIndex(enter);
            d.leaveBox()->setCurrentIndex(leave);
            d.OnOK();
            open = d.isVisible();
            return d.result();
        };
        page->OnAddCard();
        onAdd = [](CDialogAddCard&) { return 0; };
        return open;
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

TEST_F(CardPageTest, AddStoresOnlyANewDecimalNumber) {
    start();
    ASSERT_FALSE(addCard("1001", 1, 2));
    struct Case {
        std::string typed;
        std::vector<Message> messages;
        std::string stored;  // empty: nothing is added and the dialog stays open
    };
    const std::vector<Case> cases = {
        {"  0000123 ", {}, "0000123"},
        {"4294967295", {}, "4294967295"},
        {" \t ", {kEmpty}, ""},
        {" 1001", {kExists}, ""},
        {"01001", {kExists}, ""},  // the same card in the unit's image
        // The card image reads a number as 32-bit decimal: these would reach the unit as another
        // card (12, 0xFFFFFFFF, 12, 0, 0).
        {"12AB", {kNotDecimal}, ""},
        {"4294967296", {kNotDecimal}, ""},
        {"12 34", {kNotDecimal}, ""},
        {"12'3", {kNotDecimal}, ""},
        {"卡号", {kNotDecimal}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("typed '" + c.typed + "'");
        notifier.clear();
        auto expected = tableRows();
        if (!c.stored.empty()) expected.push_back({c.stored, 7, 8});
        EXPECT_EQ(addCard(c.typed, 7, 8), c.stored.empty());
        EXPECT_EQ(notifier.messages(), c.messages);
        EXPECT_EQ(tableRows(), expected);
        EXPECT_EQ(listed(), tableAsListed());
    }
    EXPECT_EQ(listed().back(), "4294967295|门锁开|门锁关");

    // The number field takes digits alone, whether typed or pasted.
    CDialogAddCard d(dir.file("CONFIG"), notifier);
    QTest::keyClicks(d.numberField(), "1a2 B3");
    QGuiApplication::clipboard()->setText("45x");
    d.numberField()->paste();
    EXPECT_EQ(d.numberField()->text(), "123");
}

TEST_F(CardPageTest, DeleteAllAsksTwiceAndSaysWhenThereIsNothing) {
    struct Case {
        int cards;
        std::deque<bool> answers;
        std::vector<Message> messages;
        std::size_t left;
    };
    const std::vector<Case> cases = {
        {0, {true}, {kConfirmDelete, kNothing}, 0},
        {2, {false}, {kConfirmDelete}, 2},
        {2, {true, false}, {kConfirmDelete, kConfirmAll}, 2},
        {2, {true, true}, {kConfirmDelete, kConfirmAll}, 0},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cards << " cards, " << c.answers.size() << " answers");
        if (c.cards && tableRows().empty()) insert({{"500", 0, 0}, {"501", 1, 1}});
        notifier.clear();
        notifier.answers = c.answers;
        page->OnDeleteAll();
        EXPECT_EQ(notifier.messages(), c.messages);
        EXPECT_EQ(tableRows().size(), c.left);
        EXPECT_EQ(listed(), tableAsListed());
    }
}

TEST_F(CardPageTest, CancelledPasswordChangesNothingAndEditNeedsNone) {
    start("s3cret");
    insert({{"77", 1, 1}, {"88", 2, 2}});
    select("77");
    int asked = 0;
    onPassword = [&](CDialogPassword&) {
        ++asked;
        return int(QDialog::Rejected);
    };
    page->OnAddCard();
    page->OnDeleteSelected();
    page->OnDeleteAll();
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(runner.runs, 3);  // the password dialog alone
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(tableRows().size(), 2u);

    onModify = [&](CDialogModifyCard& d) {
        d.enterBox()->setCurrentIndex(0);  // the first entries are choices too
        d.leaveBox()->setCurrentIndex(0);
        d.OnOK();
        return d.result();
    };
    emit page->cardList()->itemDoubleClicked(page->cardList()->currentItem(), 0);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(tableRows().front(), (CardRow{"77", 0, 0}));
    EXPECT_EQ(listed(), tableAsListed());
}

TEST_F(CardPageTest, ActionOutsideTheListShowsEmptyAndIsKeptByAnEdit) {
    start();
    insert({{"5", 12, 3}});
    EXPECT_EQ(listed(), Strings{"5||系统开/关"});
    std::vector<int> selected;
    onModify = [&](CDialogModifyCard& d) {
        selected = {d.enterBox()->currentIndex(), d.leaveBox()->currentIndex()};
        d.leaveBox()->setCurrentIndex(9);
        d.OnOK();
        return d.result();
    };
    select("5");
    QTest::keyClick(page->cardList(), Qt::Key_Return);  // opens the row as a double click does
    EXPECT_EQ(selected, (std::vector<int>{-1, 3}));
    // The untouched insertion list stores what it held, not "no entry" (-1).
    EXPECT_EQ(tableRows(), (Cards{{"5", 12, 9}}));
    EXPECT_EQ(listed(), Strings{"5||门锁开/关"});
    // The rebuilt list has no selection, so nothing is left to delete unseen.
    EXPECT_FALSE(page->deleteButton()->isEnabled());
    EXPECT_EQ(page->selectedNumber(), "");
}

}  // namespace
}  // namespace ketrel::test

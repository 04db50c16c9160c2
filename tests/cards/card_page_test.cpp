#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

#include "app/command_ids.h"
#include "card_test_support.h"
#include "config/config_texts.h"

namespace ketrel {
namespace {

using Message = test::RecordingNotifier::Message;
using CardPageTest = test::CardPageFixture;
using test::PumpUntil;

const Message kEmpty{CDialogAddCard::kEmptyNumber, "错误", MessageIcon::Error};
const Message kExists{CDialogAddCard::kNumberExists, "错误", MessageIcon::Error};
const Message kNotDecimal{CDialogAddCard::kNotDecimal, "错误", MessageIcon::Error};
const Message kConfirmDelete{"确定要删除数据?", "警告", MessageIcon::Warning};
const Message kConfirmAll{"确定要全部删除？", "提示", MessageIcon::Question};
const Message kNothing{"没有可删除的数据！", "提示", MessageIcon::Error};

TEST_F(CardPageTest, AddStoresOnlyANewDecimalNumber) {
    start();
    ASSERT_TRUE(addCard("1001", 1, 2));
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
        bool openAfterOk = false;
        onAdd = [&](CDialogAddCard& d) {
            d.show();
            d.numberField()->setText(QString::fromStdString(c.typed));
            d.enterBox()->setCurrentIndex(7);
            d.leaveBox()->setCurrentIndex(8);
            d.OnOK();
            openAfterOk = d.isVisible();
            return d.result();
        };
        page->OnAddCard();
        EXPECT_EQ(notifier.messages(), c.messages);
        EXPECT_EQ(tableRows(), expected);
        EXPECT_EQ(openAfterOk, c.stored.empty());
        EXPECT_EQ(listed(), tableAsListed());
    }
    EXPECT_EQ(listed().back(), "4294967295|门锁开|门锁关");
}

TEST_F(CardPageTest, NumberFieldTakesDigitsAloneWhetherTypedOrPasted) {
    CDialogAddCard d(dir.file("CONFIG"), notifier);
    QTest::keyClicks(d.numberField(), "1a2 B3");
    QGuiApplication::clipboard()->setText("45x");
    d.numberField()->paste();
    EXPECT_EQ(d.numberField()->text(), "123");
}

// The columns are wider than the list: with rows it scrolls sideways, empty it has nothing to.
TEST_F(CardPageTest, EmptyListHasNoHorizontalScrollBar) {
    start();
    page->cardList()->setFixedWidth(400);
    frame->view()->ShowPage(CVardoView::kCardPage);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    const QScrollBar* bar = page->cardList()->horizontalScrollBar();
    for (int cards : {0, 1, 0}) {
        store().DeleteAllCards();
        if (cards) store().InsertCard("1", 0, 0);
        page->LoadCardList();
        QTest::qWait(20);
        EXPECT_EQ(bar->isVisible(), cards > 0) << cards;
    }
}

TEST(EditMenuTest, EntriesAreEnabledOnlyWhereTheyCanAct) {
    struct Case {
        bool onEdit, readOnly, selected;
        QLineEdit::EchoMode echo;
        const char* clipboard;
        const char* enabled;  // 剪切 复制 粘贴
    } cases[] = {
        {true, false, true, QLineEdit::Normal, "x", "111"},
        {true, false, false, QLineEdit::Normal, "x", "001"},
        {true, false, true, QLineEdit::Normal, "", "110"},
        {true, true, true, QLineEdit::Normal, "x", "010"},
        {true, false, true, QLineEdit::Password, "x", "001"},
        {false, false, true, QLineEdit::Normal, "x", "000"},
    };
    CVardoView view;
    auto* edit = new QLineEdit("text", &view);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    for (const Case& c : cases) {
        edit->setReadOnly(c.readOnly);
        edit->setEchoMode(c.echo);
        edit->setFocus();
        c.selected ? edit->selectAll() : edit->deselect();
        if (!c.onEdit) view.tabs()->setFocus();
        QGuiApplication::clipboard()->setText(c.clipboard);
        emit view.editMenu()->aboutToShow();
        std::string enabled;
        for (const QAction* a : view.editMenu()->actions()) enabled += a->isEnabled() ? '1' : '0';
        EXPECT_EQ(enabled, c.enabled) << &c - cases;
    }
}

TEST_F(CardPageTest, SwipeFillsTheNumberOnlyWhileTheAddDialogIsOpen) {
    start();
    unit.swipeCard("1111");
    settleUnitLines("before");

    std::vector<std::string> seen;  // the field at opening, then after the swipe
    onAdd = [&](CDialogAddCard& d) {
        seen.push_back(d.numberField()->text().toStdString());
        d.numberField()->setText("99");
        unit.swipeCard("3053346321");
        EXPECT_TRUE(PumpUntil([&] { return d.numberField()->text() != "99"; }));
        seen.push_back(d.numberField()->text().toStdString());
        d.OnOK();
        return d.result();
    };
    page->OnAddCard();
    EXPECT_EQ(seen, (std::vector<std::string>{"", "3053346321"}));
    EXPECT_EQ(tableRows(), (std::vector<CardRow>{{"3053346321", 0, 0}}));
    EXPECT_EQ(listed(), tableAsListed());

    // Closed again: a swipe reaches no field, and the next dialog opens empty.
    unit.swipeCard("2222");
    settleUnitLines("after");
    EXPECT_EQ(page->cardNumberField(), nullptr);
    seen.clear();
    onAdd = [&](CDialogAddCard& d) {
        seen.push_back(d.numberField()->text().toStdString());
        return int(QDialog::Rejected);
    };
    page->OnAddCard();
    EXPECT_EQ(seen, std::vector<std::string>{""});
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
        for (int i = static_cast<int>(tableRows().size()); i < c.cards; ++i) {
            ASSERT_TRUE(addCard(std::to_string(500 + i), i, i));
        }
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
    ASSERT_TRUE(store().InsertCard("77", 1, 1));
    ASSERT_TRUE(store().InsertCard("88", 2, 2));
    page->LoadCardList();
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
        d.enterBox()->setCurrentIndex(5);
        d.OnOK();
        return d.result();
    };
    emit page->cardList()->itemDoubleClicked(page->cardList()->currentItem(), 0);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(tableRows().front(), (CardRow{"77", 5, 1}));
    EXPECT_EQ(listed(), tableAsListed());
}

TEST_F(CardPageTest, ActionOutsideTheListShowsEmptyAndIsKeptByAnEdit) {
    start();
    ASSERT_TRUE(store().InsertCard("5", 12, 3));
    page->LoadCardList();
    EXPECT_EQ(listed(), std::vector<std::string>{"5||系统开/关"});

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
    EXPECT_EQ(tableRows(), (std::vector<CardRow>{{"5", 12, 9}}));
    EXPECT_EQ(listed(), std::vector<std::string>{"5||门锁开/关"});
}

TEST_F(CardPageTest, QuotesAndChineseInNumbersStayInsideTheirStatement) {
    start();
    for (const char* n : {"12'3", "卡号一", "x' or '1'='1", "7"}) {
        ASSERT_TRUE(store().InsertCard(n, 1, 1));
    }
    EXPECT_EQ(store().CardExists("1' or '1'='1"), false);
    page->LoadCardList();
    onModify = [&](CDialogModifyCard& d) {
        d.enterBox()->setCurrentIndex(2);
        d.OnOK();
        return d.result();
    };
    select("卡号一");
    page->OnListDoubleClick();
    select("x' or '1'='1");
    page->OnDeleteSelected();
    EXPECT_EQ(tableRows(), (std::vector<CardRow>{{"12'3", 1, 1}, {"卡号一", 2, 1}, {"7", 1, 1}}));
    EXPECT_EQ(listed(), tableAsListed());
    EXPECT_EQ(notifier.messages(), std::vector<Message>{kConfirmDelete});
    // The rebuilt list has no selection, so nothing is left to delete unseen.
    EXPECT_FALSE(page->deleteButton()->isEnabled());
    EXPECT_EQ(page->selectedNumber(), "");
}

TEST_F(CardPageTest, AddStopsWhenTheTableCannotBeRead) {
    start();
    ASSERT_TRUE(ConfigDb(dir.file("CONFIG"), notifier).execute("drop table Card", "Card"));
    bool accepted = true;
    onAdd = [&](CDialogAddCard& d) {
        d.numberField()->setText("10");
        d.OnOK();
        accepted = d.result() == QDialog::Accepted;
        return d.result();
    };
    page->OnAddCard();
    // Without the look-up the number could be stored twice: nothing is inserted.
    EXPECT_FALSE(accepted);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"sqlite3_get_table for Card error!!!"});
}

// Numbers across the 32-bit range, above 2^31 too, so a signed or cut number shows.
std::uint32_t NumberOf(int i) { return 3000000000u + static_cast<std::uint32_t>(i) * 3571u; }

TEST_F(CardPageTest, WriteRefuses341CardsAndWrites340) {
    start();
    for (int i = 0; i < 341; ++i) {
        ASSERT_TRUE(addCard(std::to_string(NumberOf(i)), i % 10, (i + 3) % 10)) << i;
    }
    ASSERT_EQ(page->cardList()->topLevelItemCount(), 341);
    frame->command(cmd::ID_BUTTON_WRITE_CARD)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kTooManyCards});
    auto lines = unit.receivedLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "WriteCard"), 0);

    select(std::to_string(NumberOf(340)));
    page->OnDeleteSelected();
    notifier.clear();
    frame->command(cmd::ID_BUTTON_WRITE_CARD)->trigger();
    // Success is shown only after the unit's copy was read back and compared.
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kWriteCardsDone});
    block::Image expected{};
    for (int i = 0; i < 340; ++i) {
        for (int b = 0; b < 4; ++b) expected[6 * i + b] = (NumberOf(i) >> (8 * b)) & 0xFF;
        expected[6 * i + 4] = static_cast<std::uint8_t>(i % 10);
        expected[6 * i + 5] = static_cast<std::uint8_t>((i + 3) % 10);
    }
    EXPECT_EQ(unit.cardImage(), expected);
}

}  // namespace
}  // namespace ketrel

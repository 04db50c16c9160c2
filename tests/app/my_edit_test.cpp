#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "widgets/my_edit.h"
#include "widgets/spin_field.h"

namespace ketrel {
namespace {

TEST(CMyEdit, TypingIsLimitedToHexDigitsAndSpace) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* typed;  // what the keyboard reports as text
        const char* after;  // the field's text afterwards, starting from "1"
    } cases[] = {
        {Qt::Key_0, Qt::NoModifier, "0", "10"},
        {Qt::Key_A, Qt::ShiftModifier, "A", "1A"},
        {Qt::Key_F, Qt::NoModifier, "f", "1f"},
        {Qt::Key_Space, Qt::NoModifier, " ", "1 "},
        {Qt::Key_G, Qt::NoModifier, "g", "1"},
        {Qt::Key_Minus, Qt::NoModifier, "-", "1"},
        {Qt::Key_Return, Qt::NoModifier, "\r", "1"},
        {Qt::Key_X, Qt::ShiftModifier, "X", "1"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", ""},
        {Qt::Key_Z, Qt::ControlModifier, "\x1a", "1"},  // Ctrl+Z types 26, not let through
    };
    for (const auto& c : cases) {
        CMyEdit edit;
        edit.setText("1");
        QTest::sendKeyEvent(QTest::Click, &edit, c.key, QString::fromLatin1(c.typed), c.modifiers);
        EXPECT_EQ(edit.text().toStdString(), c.after) << "key " << c.typed;
    }
}

// The arrows and the Up/Down keys read the number in the field from its leading digits, held to
// the range, however many digits were typed.
TEST(SpinField, ArrowsAndKeysStayInTheRange) {
    const struct {
        const char* text;
        int steps;
        const char* after;
    } cases[] = {
        {"5", 1, "6"},        {"0", -1, "0"}, {"3600", 1, "3600"},
        {"3600", -1, "3599"}, {"", 1, "1"},   {"99999999999999999999", -1, "3599"},
        {"12ab", 1, "13"},
    };
    for (const auto& c : cases) {
        for (const bool byKey : {false, true}) {
            SpinField spin(3600, 0);
            spin.edit()->setText(QString::fromLatin1(c.text));
            if (byKey) {
                QTest::keyClick(spin.edit(), c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
            } else {
                spin.stepBy(c.steps);
            }
            EXPECT_EQ(spin.edit()->text().toStdString(), c.after) << c.text << " " << byKey;
        }
    }
}

}  // namespace
}  // namespace ketrel

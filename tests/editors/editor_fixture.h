#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <filesystem>
#include <string>

#include "app_test_support.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/image_layout.h"
#include "config_test_support.h"
#include "editors/channel_editor_context.h"
#include "widgets/report_list.h"

namespace ketrel::test {

// A fresh supplied CONFIG in a temporary directory, the messages recorded and modal dialogs
// answered by the test.
class EditorFixture : public ::testing::Test {
  protected:
    ChannelEditorContext Context() {
        return {db.path, db.dir.file("DEVICES"), notifier, runner, [this] { ++listReloads; }};
    }

    std::string Value(const std::string& query) { return RawValue(db.path, query); }

    // The image the compiler makes of the database as it is now.
    ConfigImage Compile() {
        RecordingNotifier quiet;
        ConfigImage image{};
        EXPECT_TRUE(CompileConfigImage(ConfigDb(db.path, quiet), image)) << Joined(quiet);
        EXPECT_TRUE(quiet.messages().empty()) << Joined(quiet);
        return image;
    }

    static std::string Joined(const RecordingNotifier& n) {
        std::string out;
        for (const auto& t : n.texts()) out += t + "\n";
        return out;
    }

    SuppliedDb db;
    RecordingNotifier notifier;
    ScriptedDialogRunner runner;
    int listReloads = 0;
};

inline std::vector<std::uint8_t> Bytes(const ConfigImage& image, std::size_t offset,
                                       std::size_t count) {
    return {image.begin() + static_cast<std::ptrdiff_t>(offset),
            image.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

// Shows a window offscreen so that mouse events reach it as they would on a screen.
inline void ShowForMouse(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

// A real double click on a row of a list, or on its empty area below the rows (row -1).
inline void DoubleClickRow(ReportList* list, int row) {
    QPoint at;
    if (row >= 0) {
        list->scrollToItem(list->item(row, 0));
        at = list->RowRect(row).center();
    } else {
        const int below = list->rowCount() ? list->RowRect(list->rowCount() - 1).bottom() : 0;
        at = QPoint(20, below + 8);
        EXPECT_LT(at.y(), list->viewport()->height()) << "the list has no empty area";
    }
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

inline void ClickRow(ReportList* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(row).center());
}

}  // namespace ketrel::test

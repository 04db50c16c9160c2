#include "settings/dialog_option_program_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <algorithm>

#include "widgets/qt_text.h"

namespace ketrel {

namespace {

const QString kAllFiles = QStringLiteral("All(*)");
const QString kPrograms = QStringLiteral("Application file(*)");
const QString kProgramsDir = QStringLiteral("/usr/bin");

// Hides the files that may not be run while the program filter is chosen. Name patterns cannot
// say that: the permission decides.
class ProgramFilter : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setProgramsOnly(bool on) {
        programsOnly_ = on;
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!programsOnly_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        return FileDialogProgramPrompter::ListedAsProgram(
            files->fileInfo(files->index(row, 0, parent)));
    }

  private:
    bool programsOnly_ = false;
};

// Size, type and date as wide as their texts, the name taking the rest of a window wide enough
// for a long program name beside them.
void ShowColumnsWhole(QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(std::max(dialog.width(), 900), std::max(dialog.height(), 560));
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!details) return;
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

}  // namespace

bool FileDialogProgramPrompter::ListedAsProgram(const QFileInfo& info) {
    return info.isDir() || info.isExecutable() ||
           info.suffix().compare(QStringLiteral("exe"), Qt::CaseInsensitive) == 0;
}

std::optional<std::string> FileDialogProgramPrompter::ChooseProgram(QWidget* parent,
                                                                    const std::string& current) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The filter by permission needs Qt's own dialog; the platform's would ignore the proxy.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    auto* filter = new ProgramFilter(&dialog);
    dialog.setProxyModel(filter);
    dialog.setNameFilters({kPrograms, kAllFiles});
    dialog.selectNameFilter(kPrograms);
    filter->setProgramsOnly(true);
    QObject::connect(&dialog, &QFileDialog::filterSelected, filter,
                     [filter](const QString& name) { filter->setProgramsOnly(name == kPrograms); });
    const QFileInfo info(ToQ(current));
    if (!current.empty() && info.absoluteDir().exists()) {
        dialog.setDirectory(info.absolutePath());
        if (info.exists()) dialog.selectFile(info.fileName());
    } else {
        dialog.setDirectory(kProgramsDir);
    }
    ShowColumnsWhole(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return FromQ(QFileInfo(files.front()).absoluteFilePath());
}

}  // namespace ketrel

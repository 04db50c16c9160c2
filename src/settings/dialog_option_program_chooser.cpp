#include "dialog_option_program_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

#include "qt_text.h"

namespace ketrel {

namespace {

const QString kAllFiles = QStringLiteral("All(*)");
const QString kPrograms = QStringLiteral("Application file(*)");

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
    dialog.setNameFilters({kAllFiles, kPrograms});
    dialog.selectNameFilter(kAllFiles);
    QObject::connect(&dialog, &QFileDialog::filterSelected, filter,
                     [filter](const QString& name) { filter->setProgramsOnly(name == kPrograms); });
    if (!current.empty()) {
        const QFileInfo info(ToQ(current));
        dialog.setDirectory(info.absolutePath());
        if (info.exists()) dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return FromQ(QFileInfo(files.front()).absoluteFilePath());
}

}  // namespace ketrel

#include "editors/dialog_import_projector.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "editors/editor_texts.h"
#include "projector/projector_texts.h"
#include "widgets/qt_text.h"
#include "widgets/report_list.h"

namespace ketrel {

namespace {

std::optional<std::string> SelectedText(const ReportList* list) {
    const int row = list->SelectedRow();
    if (row < 0) return std::nullopt;
    return FromQ(list->Text(row, 0));
}

void Fill(ReportList* list, const std::vector<std::string>& items) {
    list->setUpdatesEnabled(false);
    list->ClearRows();
    for (const std::string& item : items) list->AddRow({ToQ(item)});
    list->setUpdatesEnabled(true);
}

}  // namespace

CDialogImportProjector::CDialogImportProjector(projector::DeviceLibraryReader& library,
                                               Notifier& notifier, SerialChannelOperations& channel,
                                               int spNumber, QWidget* parent)
    : QDialog(parent), import_state_(library, notifier, spNumber), channel_(channel) {
    namespace pt = projector::texts;
    setWindowTitle(QString::fromUtf8(texts::kImportProjectorTitle));

    auto* choice = new QGroupBox(QStringLiteral("投影机选择"), this);
    brands_ = new ReportList({{pt::kBrandColumn, 140}}, choice);
    brands_->setObjectName("brandList");
    models_ = new ReportList({{pt::kModelColumn, 140}}, choice);
    models_->setObjectName("modelList");
    for (ReportList* list : {brands_, models_}) list->setFixedWidth(170);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(brands_);
    choiceLayout->addWidget(models_);

    auto* codeGroup = new QGroupBox(QStringLiteral("投影机控制码"), this);
    codes_ = new ReportList({{pt::kCodeNameColumn, 70}, {pt::kCodeColumn, 370}}, codeGroup);
    codes_->setObjectName("codeList");
    codes_->setMinimumWidth(470);
    (new QVBoxLayout(codeGroup))->addWidget(codes_);
    // Tab moves on to the next control rather than from cell to cell.
    for (ReportList* list : {brands_, models_, codes_}) list->setTabKeyNavigation(false);

    protocol_ = new QLabel(this);
    protocol_->setObjectName("protocolText");
    QPalette red = protocol_->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    protocol_->setPalette(red);

    import_ = new QPushButton(QStringLiteral("导入"), this);
    import_->setObjectName("importButton");
    import_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    import_->setCursor(Qt::PointingHandCursor);
    import_->setAutoDefault(false);

    connect(brands_, &ReportList::listClicked, this, &CDialogImportProjector::OnBrandClicked);
    connect(models_, &ReportList::listClicked, this, &CDialogImportProjector::OnModelClicked);
    connect(import_, &QPushButton::clicked, this, &CDialogImportProjector::OnImport);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("通信协议:"), this));
    bottom->addWidget(protocol_, 1);
    bottom->addWidget(import_);
    auto* right = new QVBoxLayout;
    right->addWidget(codeGroup, 1);
    right->addLayout(bottom);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(choice);
    layout->addLayout(right, 1);
    resize(716, 366);

    import_state_.Open();
    Fill(brands_, import_state_.Brands());
}

void CDialogImportProjector::OnBrandClicked() {
    import_state_.BrandClicked(SelectedText(brands_));
    ShowModels();
    ShowCodes();
}

void CDialogImportProjector::OnModelClicked() {
    import_state_.ModelClicked(SelectedText(models_));
    ShowCodes();
}

void CDialogImportProjector::OnImport() {
    if (import_state_.Import(channel_)) accept();
}

void CDialogImportProjector::ShowModels() { Fill(models_, import_state_.Models()); }

void CDialogImportProjector::ShowCodes() {
    codes_->setUpdatesEnabled(false);
    codes_->ClearRows();
    for (const projector::CodeRow& row : import_state_.Codes()) {
        codes_->AddRow({ToQ(row.name), ToQ(row.code)});
    }
    codes_->setUpdatesEnabled(true);
    protocol_->setText(ToQ(import_state_.Protocol()));
}

}  // namespace ketrel

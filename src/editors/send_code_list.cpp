#include "editors/send_code_list.h"

#include <QGroupBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "editors/editor_texts.h"
#include "widgets/qt_text.h"

namespace ketrel {

QGroupBox* MakeSendCodeGroup(QWidget* parent, const char* listName, ReportList*& list) {
    auto* group = new QGroupBox(QStringLiteral("发送代码"), parent);
    list = new ReportList(
        {{"控制码ID", 60}, {"通道编号", 60}, {"控制码名称", 100}, {"控制码(Hex)", 390}}, group);
    list->setObjectName(listName);
    list->setMinimumSize(640, 300);
    (new QVBoxLayout(group))->addWidget(list);
    return group;
}

QPushButton* MakeEditorOkButton(QWidget* parent) {
    auto* ok = new QPushButton(QString::fromUtf8(texts::kOk), parent);
    ok->setObjectName("button1003");
    ok->setIcon(parent->style()->standardIcon(QStyle::SP_DialogOkButton));
    ok->setCursor(Qt::PointingHandCursor);
    ok->setDefault(true);
    return ok;
}

bool LoadSendCodes(ReportList* list, const ChannelStore& store, int channel) {
    const auto codes = store.LoadCodes(channel);
    if (!codes) return false;
    list->setUpdatesEnabled(false);
    list->ClearRows();
    for (const SendCodeRow& code : *codes) {
        list->AddRow({QString::number(code.id), QString::number(code.channel), ToQ(code.name),
                      ToQ(code.code)},
                     code.id);
    }
    list->setUpdatesEnabled(true);
    return true;
}

}  // namespace ketrel

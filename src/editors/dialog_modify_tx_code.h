#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "config/channel_store.h"

class QLabel;
class QPushButton;

namespace ketrel {

class CMyEdit;
class Notifier;

// The editor of one send code: its bytes as hexadecimal groups, checked on every change. The
// serial and infrared versions differ only in the table they write.
class CDialogModifyTxCode : public QDialog {
    Q_OBJECT
  public:
    // At most 32 bytes: two characters each, single spaces between them.
    static constexpr int kMaxCodeChars = 95;

    CMyEdit* codeEdit() const { return code_; }
    QLabel* codeNameLabel() const { return codeName_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* okButton() const { return ok_; }
    bool codeInvalid() const { return invalid_; }

    int ID() const { return id_; }
    const QString& CodeName() const { return codeNameText_; }

    // Checks the text after every change: an invalid code disables OK and turns red.
    void OnCodeChanged();
    // 清空: empties the code.
    void OnClear();
    // 确定: saves the trimmed code by its ID and closes with OK, also when the save failed (its
    // message has been shown).
    void OnOK();

  protected:
    CDialogModifyTxCode(ChannelKind kind, const char* title, std::string databasePath,
                        Notifier& notifier, int id, QString codeName, const QString& code,
                        QWidget* parent);

  private:
    ChannelStore store_;
    int id_;
    QString codeNameText_;
    bool invalid_ = false;
    QLabel* codeName_;
    CMyEdit* code_;
    QPushButton* clear_;
    QPushButton* ok_;
};

// "修改串口发送代码": a send code of a serial channel (a row of SPTxCode).
class CDialogModifySPTxCode : public CDialogModifyTxCode {
    Q_OBJECT
  public:
    CDialogModifySPTxCode(std::string databasePath, Notifier& notifier, int id, int spNumber,
                          QString codeName, const QString& code, QWidget* parent = nullptr);
    int SPNumber() const { return spNumber_; }

  private:
    int spNumber_;
};

// "修改红外发送代码": a send code of the infrared channel (a row of IRTxCode).
class CDialogModifyIRTxCode : public CDialogModifyTxCode {
    Q_OBJECT
  public:
    CDialogModifyIRTxCode(std::string databasePath, Notifier& notifier, int id, int irNumber,
                          QString codeName, const QString& code, QWidget* parent = nullptr);
    int IRNumber() const { return irNumber_; }

  private:
    int irNumber_;
};

}  // namespace ketrel

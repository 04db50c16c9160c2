#pragma once

#include <QDialog>
#include <deque>
#include <memory>

#include "link/traffic_log.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ketrel {

class DialogRunner;
class Notifier;
class SerialLink;

// The traffic log window: every chunk written to and read from the port, with its time and
// direction, hex and text side by side. It records while it is open: it listens to the log the
// port already has (the --log file), or gives the port a log of its own for as long as it lives.
class CDialogTrafficLog : public QDialog {
    Q_OBJECT
  public:
    // The records the window keeps (and saves); older ones give way to newer ones.
    static constexpr std::size_t kMaxRecords = 20000;

    CDialogTrafficLog(SerialLink& link, Notifier& notifier, DialogRunner& dialogs,
                      QWidget* parent = nullptr);
    ~CDialogTrafficLog() override;

    QPlainTextEdit* text() const { return text_; }
    QPushButton* pauseButton() const { return pause_; }
    QLabel* statusLabel() const { return status_; }
    std::size_t recordCount() const { return records_.size(); }
    std::size_t waitingCount() const { return waiting_.size(); }

    void OnPause(bool paused);
    void OnClear();
    // Asks for a file and writes the kept records to it in the log file's format.
    void OnSave();
    bool SaveTo(const QString& path);

    // Records from the log's writer thread, delivered on this window's thread.
    void OnRecords(const TrafficBatch& batch);

  private:
    void showRecord(const TrafficRecord& record);
    void updateStatus();

    SerialLink& link_;
    Notifier& notifier_;
    DialogRunner& dialogs_;
    std::unique_ptr<TrafficLog> ownLog_;
    TrafficLog* log_ = nullptr;
    int listener_ = 0;

    std::deque<TrafficRecord> records_;
    std::deque<TrafficRecord> waiting_;  // arrived while paused
    bool paused_ = false;

    QPlainTextEdit* text_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
    QLabel* status_;
};

}  // namespace ketrel

#include "config/config_transfer.h"

#include <chrono>

#include "common/format.h"
#include "common/texts.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/config_texts.h"
#include "link/block_frame.h"
#include "link/frame.h"
#include "link/serial_link.h"

namespace ketrel {

namespace {

using namespace std::chrono_literals;

// The unit needs these pauses to store the image before it can read it back, and to finish
// with its flash before it takes the configuration into use.
constexpr auto kPauseBeforeReadBack = 200ms;
constexpr auto kPauseBeforeActivate = 1000ms;
constexpr int kAnnounceOkPolls = 100;
constexpr int kActivateOkPolls = 1000;

constexpr int kLastBlock = static_cast<int>(block::kBlockCount) - 1;

struct TransferTexts {
    const char* announce;    // the line that puts the unit into block mode
    const char* readBack;    // the line that asks for the image back
    const char* activate;    // the line that takes the image into use, or nullptr
    const char* noOk;        // no "OK" after the announcement
    const char* shortWrite;  // a block frame written short
    const char* badStatus;   // "Error" or no status after a block
    const char* done;
};

constexpr TransferTexts kConfigTexts{
    frame::kWriteConfig,        frame::kReadConfig,         frame::kInitConfig,
    texts::kWriteConfigFailed3, texts::kWriteConfigFailed2, texts::kWriteConfigFailed1,
    texts::kWriteConfigDone,
};

constexpr TransferTexts kCardTexts{
    frame::kWriteCard,        frame::kReadCard,         nullptr,
    texts::kWriteCardFailed3, texts::kWriteCardFailed2, texts::kWriteCardFailed1,
    texts::kWriteCardsDone,
};

void Stop(Notifier& notifier, const char* text) {
    notifier.show(text, texts::kCaptionNotice, MessageIcon::Error);
}

// The message stays as the user knows it; the line below says what it means and what to check.
// `why` may hold the 1-based number of the block concerned.
void Stop(Notifier& notifier, const char* text, const char* why, int block = 0) {
    notifier.show(std::string(text) + "\n" + Format(why, block + 1), texts::kCaptionNotice,
                  MessageIcon::Error);
}

std::string PercentText(int block) {
    return Format(texts::kWritingPercent, block * 100 / kLastBlock);
}

// Reads the image back and compares; for the configuration also takes it into use. True when
// the success message was shown.
bool Verify(SerialLink& link, const ConfigImage& image, Notifier& notifier, Progress& progress,
            const TransferTexts& t) {
    progress.setStepText(texts::kVerifying);
    link.clock().sleepFor(kPauseBeforeReadBack);
    ConfigImage readBack{};
    link.SendCommand(t.readBack);
    std::size_t count = 0;
    if (!link.ReadBlock(readBack.data(), count)) {
        Stop(notifier, texts::kReadFailed, texts::kWhyReadFailed);
        return false;
    }
    if (count != readBack.size()) {
        Stop(notifier, texts::kReadIncomplete, texts::kWhyReadIncomplete);
        return false;
    }
    if (readBack != image) {
        Stop(notifier, texts::kVerifyFailed, texts::kWhyVerifyFailed);
        return false;
    }
    if (t.activate) {
        progress.setStepText(texts::kAwaitingUnit);
        link.clock().sleepFor(kPauseBeforeActivate);
        link.SendCommand(t.activate);
        if (!link.WaitForOk(kActivateOkPolls)) {
            Stop(notifier, texts::kReplyTimeout, texts::kWhyReplyTimeout);
            return false;
        }
    }
    notifier.show(t.done, texts::kCaptionNotice, MessageIcon::Information);
    return true;
}

// Announces the write, sends the eight blocks and verifies after "Complete". The caller holds
// the receive thread paused.
bool SendImage(SerialLink& link, const ConfigImage& image, Notifier& notifier, Progress& progress,
               const TransferTexts& t) {
    progress.setRange(0, kLastBlock);
    progress.setPosition(0);
    progress.setStepText(texts::kWriting);

    // A failed write has shown its message; the missing "OK" then ends the transfer.
    link.SendCommand(t.announce);
    if (!link.WaitForOk(kAnnounceOkPolls)) {
        Stop(notifier, t.noOk, texts::kWhyNoOk);
        return false;
    }

    bool verified = false;
    bool failed = false;
    for (int b = 0; b <= kLastBlock; ++b) {
        const block::Frame frame = block::ImageBlockFrame(image, static_cast<std::size_t>(b));
        if (!link.SendCommand(frame.data(), frame.size())) {
            Stop(notifier, t.shortWrite, texts::kWhyShortWrite, b);
            // A unit that went away (the adapter pulled out) takes no further block: one
            // account of it, not a pair of messages for every block left.
            if (!link.IsOpen()) return false;
            failed = true;
            continue;
        }
        const int status = link.WaitForStatus();
        if (status != SerialLink::kStatusReady && status != SerialLink::kStatusComplete) {
            Stop(notifier, t.badStatus, texts::kWhyBadStatus, b);
            return false;
        }
        progress.setPosition(b);
        progress.setStepText(PercentText(b));
        if (status == SerialLink::kStatusComplete) {
            if (Verify(link, image, notifier, progress, t)) {
                verified = true;
            } else {
                failed = true;
            }
            // The verification's steps are over: the pane shows how far the write came again.
            progress.setStepText(PercentText(b));
        }
    }
    // Each block was answered "Ready", the last one too: without a word the user would take
    // the silence for success.
    if (!verified && !failed) Stop(notifier, texts::kNoCompletion);
    return verified && !failed;
}

}  // namespace

bool WriteConfiguration(SerialLink& link, const std::string& databasePath, Notifier& notifier,
                        Progress& progress) {
    if (!link.RequirePort()) return false;
    SerialLink::Exchange exchange(link);
    ConfigImage image{};
    if (!CompileConfigImage(ConfigDb(databasePath, notifier), image)) {
        Stop(notifier, texts::kExtractFailed);
        return false;
    }
    return SendImage(link, image, notifier, progress, kConfigTexts);
}

bool WriteCards(SerialLink& link, const std::string& databasePath, Notifier& notifier,
                Progress& progress) {
    if (!link.RequirePort()) return false;
    SerialLink::Exchange exchange(link);
    ConfigImage image{};
    if (!LoadCards(ConfigDb(databasePath, notifier), image)) return false;
    return SendImage(link, image, notifier, progress, kCardTexts);
}

}  // namespace ketrel

#include "unitsim/unit_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "config/image_layout.h"
#include "link/frame.h"
#include "link/link_clock.h"

namespace ketrel::sim {

namespace {

// A pause this long ends a line that has no line end, and abandons a half-received block.
constexpr int kIdleGapMs = 50;
// Between two whole blocks the program may wait longer (it stops after a missing status).
constexpr int kBlockAbandonGaps = 4;

std::string Dotted(const block::Image& image, std::size_t offset) {
    return std::to_string(image[offset]) + "." + std::to_string(image[offset + 1]) + "." +
           std::to_string(image[offset + 2]) + "." + std::to_string(image[offset + 3]);
}

bool ParseHex(const std::string& text, std::string& out) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ':')
            return false;
    }
    if (digits.size() % 2) return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    return true;
}

}  // namespace

UnitSimulator::UnitSimulator()
    : info_{
          {"Model", "KT-M4"},         {"deviceid", "0123456789ABCDEF"}, {"dhcp", "1"},
          {"cip", "192.168.1.50"},    {"netmask", "255.255.255.0"},     {"gateway", "192.168.1.1"},
          {"dnsaddr", "192.168.1.1"}, {"serverip", "192.168.1.10"}} {}

UnitSimulator::~UnitSimulator() { stop(); }

bool UnitSimulator::start(std::string* error) {
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        stop();
        return false;
    };
    masterFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd_ < 0) return fail("posix_openpt");
    if (grantpt(masterFd_) != 0 || unlockpt(masterFd_) != 0) return fail("grantpt");
    char name[128];
    if (ptsname_r(masterFd_, name, sizeof name) != 0) return fail("ptsname");
    portPath_ = name;
    // The unit keeps its own handle on the terminal so that the program may close and reopen
    // its end without the line hanging up.
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd_ < 0) return fail("open pts");
    termios tio{};
    tcgetattr(slaveFd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slaveFd_, TCSANOW, &tio);
    // Never blocked by a program that does not read: the writer waits for room with a poll.
    fcntl(masterFd_, F_SETFL, fcntl(masterFd_, F_GETFL) | O_NONBLOCK);
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    writer_ = std::thread([this] { writeLoop(); });
    return true;
}

void UnitSimulator::stop() {
    {
        std::lock_guard lock(outMutex_);
        stopping_ = true;
        outQueue_.clear();
    }
    outChanged_.notify_all();
    if (thread_.joinable()) {
        const char c = 'q';
        [[maybe_unused]] ssize_t n = ::write(wakePipe_[1], &c, 1);
        thread_.join();
    }
    if (writer_.joinable()) writer_.join();
    for (int* fd : {&masterFd_, &slaveFd_, &wakePipe_[0], &wakePipe_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

std::string UnitSimulator::MakeFrame(std::string_view payloadText) {
    std::string f(frame::kFrameSize, '\0');
    f.front() = static_cast<char>(frame::kOpen);
    f.back() = static_cast<char>(frame::kClose);
    std::memcpy(&f[1], payloadText.data(), std::min(payloadText.size(), frame::kPayloadSize));
    return f;
}

void UnitSimulator::sendFrame(std::string_view payloadText) { writeAll(MakeFrame(payloadText)); }

void UnitSimulator::sendRaw(std::string_view bytes) { writeAll(bytes); }

std::uint64_t UnitSimulator::enqueue(std::string_view bytes, int delayMs) {
    std::uint64_t number;
    {
        std::lock_guard lock(outMutex_);
        if (stopping_) return 0;
        number = ++queued_;
        outQueue_.push_back(
            {std::string(bytes), Clock::now() + std::chrono::milliseconds(delayMs), number});
    }
    outChanged_.notify_all();
    return number;
}

void UnitSimulator::writeAll(std::string_view bytes) {
    const std::uint64_t number = enqueue(bytes, 0);
    std::unique_lock lock(outMutex_);
    outChanged_.wait(lock, [&] { return stopping_ || sent_ >= number; });
}

void UnitSimulator::writeLoop() {
    Clock::time_point lineFree{};
    std::unique_lock lock(outMutex_);
    for (;;) {
        outChanged_.wait(lock, [&] { return stopping_ || !outQueue_.empty(); });
        if (stopping_) return;
        const Outgoing item = outQueue_.front();
        if (outChanged_.wait_until(lock, item.notBefore, [&] { return stopping_.load(); })) return;
        outQueue_.pop_front();
        lock.unlock();
        transmit(item, lineFree);
        lock.lock();
        sent_ = item.number;
        lastSent_ = Clock::now();
        outChanged_.notify_all();
    }
}

// Each byte goes out one character time after the one before it, never sooner.
void UnitSimulator::transmit(const Outgoing& item, Clock::time_point& lineFree) {
    const auto charTime = CharacterTime(baud_.load());
    const std::size_t size = item.bytes.size();
    if (charTime.count() == 0) {
        writeToLine(item.bytes.data(), size);
        return;
    }
    const Clock::time_point start = std::max(Clock::now(), lineFree);
    lineFree = start + size * charTime;
    std::size_t done = 0;
    while (done < size && !stopping_) {
        const auto elapsed = Clock::now() - start;
        const std::size_t due = std::min<std::size_t>(
            size, static_cast<std::size_t>(std::max<Clock::rep>(0, elapsed / charTime)));
        if (due > done) {
            if (!writeToLine(item.bytes.data() + done, due - done)) return;
            done = due;
        }
        if (done < size) std::this_thread::sleep_until(start + (done + 1) * charTime);
    }
}

bool UnitSimulator::quietSince(Clock::duration quiet) {
    std::lock_guard lock(outMutex_);
    return outQueue_.empty() && sent_ == queued_ && Clock::now() - lastSent_ >= quiet;
}

bool UnitSimulator::writeToLine(const char* data, std::size_t len) {
    std::size_t done = 0;
    while (masterFd_ >= 0 && done < len && !stopping_) {
        const ssize_t n = ::write(masterFd_, data + done, len - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd p{masterFd_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        } else {
            return false;
        }
    }
    return done == len;
}

void UnitSimulator::setInfo(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    for (auto& kv : info_) {
        if (kv.first == key) {
            kv.second = value;
            return;
        }
    }
    info_.emplace_back(key, value);
}

std::string UnitSimulator::info(const std::string& key) const {
    std::lock_guard lock(mutex_);
    for (const auto& kv : info_) {
        if (kv.first == key) return kv.second;
    }
    return {};
}

void UnitSimulator::setFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

Faults UnitSimulator::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

std::vector<std::string> UnitSimulator::receivedLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool UnitSimulator::receivingBlocks() const {
    std::lock_guard lock(mutex_);
    return mode_ == Mode::Block;
}

block::Image UnitSimulator::configImage() const {
    std::lock_guard lock(mutex_);
    return configImage_;
}

block::Image UnitSimulator::cardImage() const {
    std::lock_guard lock(mutex_);
    return cardImage_;
}

void UnitSimulator::setConfigImage(const block::Image& image) {
    std::lock_guard lock(mutex_);
    configImage_ = image;
}

void UnitSimulator::setCardImage(const block::Image& image) {
    std::lock_guard lock(mutex_);
    cardImage_ = image;
}

bool UnitSimulator::loadState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    block::Image config{}, cards{};
    in.read(reinterpret_cast<char*>(config.data()), config.size());
    in.read(reinterpret_cast<char*>(cards.data()), cards.size());
    if (!in) return false;
    std::lock_guard lock(mutex_);
    configImage_ = config;
    cardImage_ = cards;
    return true;
}

bool UnitSimulator::saveState(const std::string& path) const {
    block::Image config, cards;
    {
        std::lock_guard lock(mutex_);
        config = configImage_;
        cards = cardImage_;
    }
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(config.data()), config.size());
        out.write(reinterpret_cast<const char*>(cards.data()), cards.size());
        if (!out) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

bool UnitSimulator::sleepUntil(Clock::time_point when) {
    for (;;) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                            static_cast<long>(ns % 1'000'000'000)};
        pollfd p{wakePipe_[0], POLLIN, 0};
        if (::ppoll(&p, 1, &wait, nullptr) > 0) return false;
    }
}

void UnitSimulator::run() {
    std::uint8_t buffer[4096];
    int idleGaps = 0;
    Clock::time_point lineFree{};  // when the last byte the program wrote reaches the unit
    for (;;) {
        pollfd p[2] = {{masterFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int r = ::poll(p, 2, kIdleGapMs);
        if (r < 0 && errno != EINTR) return;
        if (p[1].revents) return;
        if (r == 0) {
            ++idleGaps;
            std::string idleLine;
            {
                std::lock_guard lock(mutex_);
                if (!pending_.empty()) {
                    // A line without a line end, or a block that never completed.
                    if (mode_ == Mode::Command) lines_.push_back(idleLine = pending_);
                    pending_.clear();
                    mode_ = Mode::Command;
                } else if (mode_ == Mode::Block && idleGaps >= kBlockAbandonGaps &&
                           quietSince(kBlockAbandonGaps * std::chrono::milliseconds(kIdleGapMs))) {
                    // The program gave up between two blocks: listen for commands again. (A unit
                    // slow to say "OK" or to give a status has not been answered yet.)
                    mode_ = Mode::Command;
                }
            }
            // The gateway's and the socket's lines end by this pause alone.
            if (IotDevice::IsIotLine(idleLine)) {
                const int after = faults().iotAfterMs;
                iot_.handleLine(idleLine,
                                [this, after](std::string_view bytes) { enqueue(bytes, after); });
            }
            continue;
        }
        idleGaps = 0;
        if (p[0].revents & POLLIN) {
            const ssize_t n = ::read(masterFd_, buffer, sizeof buffer);
            if (n <= 0) continue;
            const auto charTime = CharacterTime(baud_.load());
            if (charTime.count() > 0) {
                lineFree = std::max(Clock::now(), lineFree) + n * charTime;
                if (!sleepUntil(lineFree)) return;
            }
            onBytes(buffer, static_cast<std::size_t>(n));
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            ::poll(nullptr, 0, 10);  // cannot happen while we hold the terminal; never spin
        }
    }
}

void UnitSimulator::onBytes(const std::uint8_t* data, std::size_t len) {
    std::unique_lock lock(mutex_);
    pending_.append(reinterpret_cast<const char*>(data), len);
    for (;;) {
        if (mode_ == Mode::Block) {
            if (pending_.size() < block::kFrameSize) return;
            lock.unlock();
            onBlockFrame();
            lock.lock();
            continue;
        }
        const std::size_t end = pending_.find("\r\n");
        if (end == std::string::npos) return;
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 2);
        lines_.push_back(line);
        lock.unlock();
        onLine(line);
        lock.lock();
    }
}

void UnitSimulator::reply(std::string_view bytes, int extraDelayMs) {
    const Faults f = faults();
    if (f.noAnswer) return;
    enqueue(f.prefixBytes + std::string(bytes), f.replyDelayMs + extraDelayMs);
}

void UnitSimulator::onLine(const std::string& line) {
    const Faults f = faults();
    if (line == "GetInfo") {
        std::vector<std::pair<std::string, std::string>> items;
        {
            std::lock_guard lock(mutex_);
            items = info_;
        }
        std::string frames;
        for (const auto& [k, v] : items) frames += MakeFrame(k + "=" + v);
        reply(frames);
    } else if (line == "WriteConfig" || line == "WriteCard") {
        if (f.noOk) return;
        {
            std::lock_guard lock(mutex_);
            mode_ = Mode::Block;
            blockForCards_ = line == "WriteCard";
            expectedBlock_ = 0;
            staging_.fill(0);
        }
        reply("OK\r\n", f.okAfterMs);
    } else if (line == "ReadConfig" || line == "ReadCard") {
        block::Image image = line == "ReadConfig" ? configImage() : cardImage();
        if (f.corruptReadbackByte >= 0 &&
            static_cast<std::size_t>(f.corruptReadbackByte) < image.size()) {
            image[static_cast<std::size_t>(f.corruptReadbackByte)] ^= 0xFF;
        }
        std::string bytes(reinterpret_cast<const char*>(image.data()), image.size());
        if (f.shortReadback) bytes.pop_back();
        reply(bytes, f.readbackAfterMs);
    } else if (line == "InitConfig") {
        if (f.noOk || f.noInitOk) return;
        applyInitConfig();
        reply("OK\r\n", f.initAfterMs);
    }
    // Anything else (AddAuthor, DelAuthor, ExitAuthor, unknown lines) is only recorded.
}

void UnitSimulator::onBlockFrame() {
    std::string frameBytes;
    std::size_t expected;
    bool cards;
    {
        std::lock_guard lock(mutex_);
        frameBytes = pending_.substr(0, block::kFrameSize);
        pending_.erase(0, block::kFrameSize);
        expected = expectedBlock_;
        cards = blockForCards_;
    }
    const Faults f = faults();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frameBytes.data());
    if (static_cast<int>(expected) == f.errorAtBlock ||
        !block::CheckBlockFrame(bytes, frameBytes.size(), expected)) {
        {
            std::lock_guard lock(mutex_);
            mode_ = Mode::Command;
        }
        reply("Error\r\n" + f.afterStatus, f.statusAfterMs);
        return;
    }
    bool complete = false;
    {
        std::lock_guard lock(mutex_);
        std::memcpy(staging_.data() + expected * block::kBlockData, bytes, block::kBlockData);
        ++expectedBlock_;
        if (expectedBlock_ == block::kBlockCount) {
            complete = true;
            (cards ? cardImage_ : configImage_) = staging_;
            mode_ = Mode::Command;
        }
    }
    ++blocksAccepted_;
    if (complete && !statePath_.empty()) saveState(statePath_);
    reply((complete && !f.noComplete ? "Complete\r\n" : "Ready\r\n") + f.afterStatus,
          f.statusAfterMs);
}

void UnitSimulator::applyInitConfig() {
    const block::Image image = configImage();
    std::string id(reinterpret_cast<const char*>(image.data() + layout::kDeviceIdOffset),
                   layout::kTextFieldSize);
    id = id.substr(0, id.find('\0'));
    setInfo("deviceid", id);
    setInfo("dhcp", std::to_string(image[layout::kDhcpOffset]));
    const std::pair<const char*, std::size_t> addresses[] = {{"cip", layout::kIpAddressOffset},
                                                             {"netmask", layout::kNetmaskOffset},
                                                             {"gateway", layout::kGatewayOffset},
                                                             {"dnsaddr", layout::kDnsOffset},
                                                             {"serverip", layout::kServerIpOffset}};
    for (const auto& [key, offset] : addresses) setInfo(key, Dotted(image, offset));
}

std::string UnitSimulator::control(const std::string& line) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (cmd.empty()) return {};
    if (cmd == "frame") {
        sendFrame(rest);
    } else if (cmd == "pc") {
        sendFrame(rest);
    } else if (cmd == "swipe") {
        swipeCard(rest);
    } else if (cmd == "raw") {
        std::string bytes;
        if (!ParseHex(rest, bytes)) return "error: raw takes hexadecimal bytes";
        sendRaw(bytes);
    } else if (cmd == "info") {
        std::istringstream kv(rest);
        std::string key, value;
        kv >> key;
        std::getline(kv >> std::ws, value);
        if (key.empty()) return "error: info KEY VALUE";
        setInfo(key, value);
    } else if (cmd == "fault") {
        std::istringstream kv(rest);
        std::string name, value;
        kv >> name >> value;
        Faults f = faults();
        const int n = value.empty() ? 1 : std::atoi(value.c_str());
        if (name == "no-answer")
            f.noAnswer = n != 0;
        else if (name == "delay")
            f.replyDelayMs = n;
        else if (name == "prefix")
            f.prefixBytes = value;
        else if (name == "no-ok")
            f.noOk = n != 0;
        else if (name == "no-init-ok")
            f.noInitOk = n != 0;
        else if (name == "error-at-block")
            f.errorAtBlock = value.empty() ? -1 : n;
        else if (name == "corrupt-readback")
            f.corruptReadbackByte = value.empty() ? -1 : n;
        else if (name == "short-readback")
            f.shortReadback = n != 0;
        else if (name == "no-complete")
            f.noComplete = n != 0;
        else if (name == "after-status")
            f.afterStatus = value;
        else if (name == "status-after" || name == "status-delay")
            f.statusAfterMs = n;
        else if (name == "ok-after")
            f.okAfterMs = n;
        else if (name == "readback-after")
            f.readbackAfterMs = n;
        else if (name == "init-after")
            f.initAfterMs = n;
        else if (name == "iot-after")
            f.iotAfterMs = n;
        else
            return "error: unknown fault " + name;
        setFaults(f);
    } else if (cmd == "iot") {
        return iot_.control(rest);
    } else if (cmd == "baud") {
        if (rest.empty() || rest.find_first_not_of("0123456789") != std::string::npos)
            return "error: baud N (0: no line speed)";
        setBaud(std::atoi(rest.c_str()));
    } else if (cmd == "faults" && rest == "clear") {
        setFaults(Faults{});
    } else if (cmd == "lines") {
        std::string out;
        for (const auto& l : receivedLines()) out += l + "\n";
        if (!out.empty()) out.pop_back();
        return out;
    } else if (cmd == "help") {
        return "frame TEXT | pc NAME | swipe NUMBER | raw HEX | info KEY VALUE | "
               "fault no-answer|delay MS|prefix TEXT|no-ok|no-init-ok|error-at-block "
               "N|corrupt-readback N|short-readback|no-complete|after-status TEXT|ok-after MS|"
               "status-after MS|readback-after MS|init-after MS|iot-after MS | faults clear | "
               "baud N | lines | iot help";
    } else {
        return "error: unknown command " + cmd + " (try help)";
    }
    return {};
}

}  // namespace ketrel::sim

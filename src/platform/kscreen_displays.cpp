#include "platform/kscreen_displays.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

extern char** environ;

namespace ketrel {

namespace {

// The tool answers within a second; a compositor that hangs must not hang us.
constexpr int kTimeoutMs = 10000;

std::string WithoutColours(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\x1b') {
            plain += text[i];
            continue;
        }
        while (i < text.size() && !std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
    }
    return plain;
}

unsigned TransformOf(const std::string& rotation) {
    if (rotation == "2") return 1;  // turned left: a quarter turn
    if (rotation == "4") return 2;  // upside down
    if (rotation == "8") return 3;  // turned right
    return 0;
}

}  // namespace

monitors::Desktop KscreenDisplays::Parse(const std::string& listing) {
    monitors::Desktop desktop;
    std::istringstream lines(WithoutColours(listing));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.size() < 3 || w[0] != "Output:") continue;
        monitors::Monitor monitor;
        monitors::Region region;
        monitor.name = w[2];
        bool enabled = false;
        for (std::size_t i = 3; i < w.size(); ++i) {
            const std::string next = i + 1 < w.size() ? w[i + 1] : "";
            if (w[i] == "enabled") enabled = true;
            if (w[i] == "Scale:") region.scale = std::atof(next.c_str());
            if (w[i] == "Rotation:") region.transform = TransformOf(next);
            if (w[i] == "Geometry:") std::sscanf(next.c_str(), "%d,%d", &region.x, &region.y);
            if (w[i] != "Modes:") continue;
            // id:WxH@R, then * for the mode in use and ! for the preferred one
            for (; i + 1 < w.size() && w[i + 1].back() != ':'; ++i) {
                monitors::Mode mode;
                char id[64] = {};
                if (std::sscanf(w[i + 1].c_str(), "%63[^:]:%dx%d@%lf", id, &mode.width,
                                &mode.height, &mode.refresh) != 4) {
                    continue;
                }
                mode.id = id;
                if (w[i + 1].find('*') != std::string::npos) monitor.mode = mode.id;
                monitor.modes.push_back(mode);
            }
        }
        if (!enabled) monitor.mode.clear();
        region.monitors.push_back(monitor.name);
        if (enabled) desktop.regions.push_back(region);
        desktop.monitors.push_back(std::move(monitor));
    }
    return desktop;
}

bool KscreenDisplays::read(monitors::Desktop& desktop, std::string& why) {
    std::string output;
    if (!run({"-o"}, output, why)) return false;
    desktop = Parse(output);
    return true;
}

bool KscreenDisplays::apply(const monitors::Desktop& desktop, std::string& why) {
    std::vector<std::string> args;
    for (const auto& region : desktop.regions) {
        for (const auto& monitor : desktop.monitors) {
            if (region.monitors.empty() || monitor.name != region.monitors.front()) continue;
            args.push_back("output." + monitor.name + ".mode." + monitor.mode);
            args.push_back("output." + monitor.name + ".position." + std::to_string(region.x) +
                           "," + std::to_string(region.y));
        }
    }
    std::string output;
    return run(args, output, why);
}

bool KscreenDisplays::run(const std::vector<std::string>& args, std::string& output,
                          std::string& why) {
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=') + 1); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (std::none_of(environment_.begin(), environment_.end(),
                         [&](const std::string& mine) { return nameOf(mine) == nameOf(entry); })) {
            env.push_back(entry);
        }
    }
    env.insert(env.end(), environment_.begin(), environment_.end());
    std::vector<std::string> argv = {program_};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp, envp;
    for (auto& a : argv) argp.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argp.push_back(nullptr);
    envp.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    pid_t pid = -1;
    const int rc =
        posix_spawnp(&pid, program_.c_str(), &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        why = program_ + " cannot be started (" + std::strerror(rc) +
              "; it comes with libkf5screen-bin)";
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fds[0], POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) == 0) {
            timedOut = true;
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        why = program_ + " did not answer";
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    // Its last line says what went wrong.
    std::string last = WithoutColours(output);
    while (!last.empty() && last.back() == '\n') last.pop_back();
    why = program_ + " failed: " + last.substr(last.rfind('\n') + 1);
    return false;
}

}  // namespace ketrel

#include "platform/InterruptCleanup.hpp"

#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>

namespace zorv {
namespace {

// Every signal that a user or the system may send and whose default action
// ends the process: Ctrl-C and Ctrl-\ (SIGQUIT), kill, a closed terminal,
// the user signals, the timers, and the file size and CPU time limits.
// SIGPIPE keeps its default: a reader that closes standard output early ends
// the process as it ends any command-line tool.
constexpr std::array<int, 11> interruptingSignals{SIGINT,    SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                                  SIGALRM,   SIGVTALRM, SIGPROF, SIGXFSZ, SIGXCPU};

// A file to remove: its path is complete before `used` is set, and `used` is
// cleared before the path changes, so that a handler reads whole paths only.
struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX] = {};
};

// One writer writes at a time; a few slots leave room for more.
std::array<Slot, 8> slots;
int registered = 0;
std::array<struct sigaction, interruptingSignals.size()> earlierActions{};
std::array<bool, interruptingSignals.size()> handled{};

sigset_t interruptingSet() {
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : interruptingSignals) ::sigaddset(&set, signal);
    return set;
}

extern "C" void removeTemporaryFilesAndResignal(int signal) {
    for (Slot& slot : slots) {
        if (slot.used.load()) ::unlink(slot.path);
    }
    // SA_RESETHAND gave the signal back its default action on entry; held
    // back until the handler returns, it then ends the process.
    ::raise(signal);
}

void installHandlers() {
    for (size_t index = 0; index < interruptingSignals.size(); ++index) {
        struct sigaction earlier {};
        if (::sigaction(interruptingSignals[index], nullptr, &earlier) != 0) continue;
        if (earlier.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporaryFilesAndResignal;
        action.sa_mask = interruptingSet();
        action.sa_flags = SA_RESETHAND;
        if (::sigaction(interruptingSignals[index], &action, nullptr) != 0) continue;
        earlierActions[index] = earlier;
        handled[index] = true;
    }
}

void restoreHandlers() {
    for (size_t index = 0; index < interruptingSignals.size(); ++index) {
        if (!handled[index]) continue;
        ::sigaction(interruptingSignals[index], &earlierActions[index], nullptr);
        handled[index] = false;
    }
}

}  // namespace

InterruptCleanup::Section::Section() {
    const sigset_t set = interruptingSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptCleanup::Section::~Section() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void InterruptCleanup::add(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return;
    for (Slot& slot : slots) {
        if (slot.used.load()) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used.store(true);
        if (registered++ == 0) installHandlers();
        return;
    }
}

void InterruptCleanup::remove(const std::string& path) {
    for (Slot& slot : slots) {
        if (!slot.used.load() || path != slot.path) continue;
        slot.used.store(false);
        if (--registered == 0) restoreHandlers();
        return;
    }
}

}  // namespace zorv

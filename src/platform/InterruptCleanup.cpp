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
// the user signals, the timers, the file size and CPU time limits, a power
// failure, the coprocessor's stack fault, and the real-time signals that the
// C library leaves to programs. SIGPIPE keeps its default: a reader that
// closes standard output early ends the process as it ends any command-line
// tool. So do the signals of a crash (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT, SIGTRAP, SIGSYS), which the sanitizers and core dumps report.
constexpr std::array<int, 11> fixedSignals{SIGINT,    SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                           SIGALRM,   SIGVTALRM, SIGPROF, SIGXFSZ, SIGXCPU};

// Room for the fixed signals, the two below and every real-time signal.
constexpr size_t mostSignals = fixedSignals.size() + 2 + 64;

struct SignalList {
    std::array<int, mostSignals> signals{};
    size_t count = 0;

    void add(int signal) {
        if (count < signals.size()) signals[count++] = signal;
    }
    const int* begin() const { return signals.data(); }
    const int* end() const { return signals.data() + count; }
};

// Made on first use (SIGRTMIN and SIGRTMAX are known only when the program
// runs), before any handler is installed.
const SignalList& interruptingSignals() {
    static const SignalList list = [] {
        SignalList made;
        for (const int signal : fixedSignals) made.add(signal);
#ifdef SIGPWR
        made.add(SIGPWR);
#endif
#ifdef SIGSTKFLT
        made.add(SIGSTKFLT);
#endif
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) made.add(signal);
        return made;
    }();
    return list;
}

// A file to remove: its path is complete before `used` is set, and `used` is
// cleared before the path changes, so that a handler reads whole paths only.
struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX] = {};
};

// One writer writes at a time; a few slots leave room for more.
std::array<Slot, 8> slots;
int registered = 0;
std::array<struct sigaction, mostSignals> earlierActions{};
std::array<bool, mostSignals> handled{};

sigset_t interruptingSet() {
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : interruptingSignals()) ::sigaddset(&set, signal);
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
    const SignalList& signals = interruptingSignals();
    for (size_t index = 0; index < signals.count; ++index) {
        struct sigaction earlier {};
        if (::sigaction(signals.signals[index], nullptr, &earlier) != 0) continue;
        if (earlier.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporaryFilesAndResignal;
        action.sa_mask = interruptingSet();
        action.sa_flags = SA_RESETHAND;
        if (::sigaction(signals.signals[index], &action, nullptr) != 0) continue;
        earlierActions[index] = earlier;
        handled[index] = true;
    }
}

void restoreHandlers() {
    const SignalList& signals = interruptingSignals();
    for (size_t index = 0; index < signals.count; ++index) {
        if (!handled[index]) continue;
        ::sigaction(signals.signals[index], &earlierActions[index], nullptr);
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

#pragma once

#include <signal.h>

#include <string>

namespace zorv {

// Temporary files that an interruption of the process removes: Ctrl-C,
// Ctrl-\, kill or a closed terminal (SIGINT, SIGQUIT, SIGTERM, SIGHUP), and
// the other catchable signals whose default action ends the process (SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXFSZ, SIGXCPU, SIGPWR, SIGSTKFLT
// and the real-time signals from SIGRTMIN to SIGRTMAX), would otherwise
// leave a half-written image beside its target. While a file is registered,
// each of these signals runs a handler that unlinks every registered file (an
// async-signal-safe call) and then raises the signal again with its default
// action, so that the process ends with the signal's usual status (a core
// dump for SIGQUIT, SIGXFSZ and SIGXCPU where the limits allow one). A signal
// the process ignores (under nohup, say) stays ignored; once no file is
// registered, the signals' earlier actions come back. SIGPIPE is left alone,
// and so are the signals of a crash (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT, SIGTRAP, SIGSYS), so that a crash is reported as it is: it may
// leave the file.
//
// Registration is for the thread that writes; a handler may run on any thread.
class InterruptCleanup {
public:
    // Holds these signals back for its life, so that creating a file and
    // registering it (or renaming it and forgetting it) cannot be cut in two.
    class Section {
    public:
        Section();
        ~Section();
        Section(const Section&) = delete;
        Section& operator=(const Section&) = delete;

    private:
        sigset_t previous_;
    };

    // Call within a Section. A path too long to keep is not registered.
    static void add(const std::string& path);
    static void remove(const std::string& path);
};

}  // namespace zorv

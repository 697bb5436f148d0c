#include "cli/ZorvProcess.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {
namespace {

// The binary, then the arguments.
std::vector<std::string> zorvCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{ZORV_BINARY};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// execv's argument list over the command's strings, which must outlive it.
std::vector<char*> argvOf(std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (auto& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The memory a running process holds now; 0 when it cannot be told.
long residentKilobytes(pid_t process) {
    std::ifstream statm("/proc/" + std::to_string(process) + "/statm");
    long size = 0;
    long resident = 0;
    if (!(statm >> size >> resident)) return 0;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::optional<ZorvLimits>& limits) {
    // The streams go to files outside the working directory, whose listing
    // the tests check.
    TemporaryDirectory streams;
    ZorvRun run = runZorvBinary(arguments, workingDirectory, streams.file("out"), limits);
    run.out = contents(streams.file("out"));
    return run;
}

ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::filesystem::path& standardOutput, const std::optional<ZorvLimits>& limits) {
    TemporaryDirectory streams;
    const std::string outPath = standardOutput.string();
    const std::string errPath = streams.file("err");

    std::vector<std::string> command = zorvCommand(arguments);
    const std::vector<char*> argv = argvOf(command);

    const pid_t child = ::fork();
    if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (child == 0) {
        if (::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) ::_exit(126);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ZorvRun run;
    int status = 0;
    struct rusage usage {};
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const pid_t ended = ::wait4(child, &status, limits ? WNOHANG : 0, &usage);
        if (ended == child || (ended < 0 && errno != EINTR)) break;
        if (ended == 0) {
            if (!run.stoppedAtLimit && (std::chrono::steady_clock::now() - start > limits->time ||
                                        residentKilobytes(child) > limits->memoryKilobytes)) {
                ::kill(child, SIGKILL);
                run.stoppedAtLimit = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    run.peakMemoryKilobytes = usage.ru_maxrss;
    run.err = contents(errPath);
    return run;
}

pid_t startZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory) {
    std::vector<std::string> command = zorvCommand(arguments);
    const std::vector<char*> argv = argvOf(command);

    const pid_t child = ::fork();
    if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (child == 0) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                 SIGXFSZ, SIGXCPU, SIGPWR, SIGSTKFLT}) {
            ::signal(signal, SIG_DFL);
        }
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) ::signal(signal, SIG_DFL);
        const struct rlimit noCore {};
        ::setrlimit(RLIMIT_CORE, &noCore);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0) ::_exit(126);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

}  // namespace zorv::testing

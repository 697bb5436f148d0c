#include "cli/ZorvProcess.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

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

}  // namespace

ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory) {
    // The streams go to files outside the working directory, whose listing
    // the tests check.
    TemporaryDirectory streams;
    ZorvRun run = runZorvBinary(arguments, workingDirectory, streams.file("out"));
    run.out = contents(streams.file("out"));
    return run;
}

ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::filesystem::path& standardOutput) {
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
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ZorvRun run;
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
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
                                 SIGXFSZ, SIGXCPU}) {
            ::signal(signal, SIG_DFL);
        }
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

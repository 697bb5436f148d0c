#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>

#include "cli/EndToEnd.hpp"
#include "support/TestCaseNames.hpp"

// A conversion stopped by Ctrl-C, Ctrl-\, kill, a closed terminal or any
// other signal whose default action ends the process, as a user meets it:
// the built binary converts a large volume and is sent the signal while its
// temporary file is being written.
namespace zorv::testing {
namespace {

// Waits until the writer's temporary file (".zorv-" and six characters)
// appears in `folder`: true then; false when `child` ends first (its exit
// status then in `status`) or a minute goes by.
bool waitForTemporaryFile(const std::filesystem::path& folder, pid_t child, std::optional<int>& status) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().starts_with(".zorv-")) return true;
        }
        int ended = 0;
        if (::waitpid(child, &ended, WNOHANG) == child) {
            status = ended;
            return false;
        }
        ::usleep(200);
    }
    return false;
}

struct SignalCase {
    const char* name;
    int signal;
};

void PrintTo(const SignalCase& signalCase, std::ostream* out) { *out << signalCase.name; }

class CliInterruptedWriteTest : public ZorvEndToEndTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(CliInterruptedWriteTest, LeavesNoTemporaryFileAndTheTargetAsItWas) {
    const int signal = GetParam().signal;
    // A sparse device of 512 MiB: writing its volume takes long enough to be
    // stopped on the way.
    ASSERT_EQ(zorv({"create", "mac-device", "device.hda", "-sM", "512"}).exitStatus, 0);
    // A machine so loaded that the conversion ends before the signal comes
    // is given another try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        writeFile("volume.img", std::string("keep me"));
        const pid_t child = startZorvBinary({"convert", "to-volume", "device.hda", "volume.img"}, folder.path());
        std::optional<int> status;
        const bool seen = waitForTemporaryFile(folder.path(), child, status);
        if (!status) {
            ::kill(child, signal);
            int ended = 0;
            while (::waitpid(child, &ended, 0) < 0 && errno == EINTR) {
            }
            status = ended;
        }
        const bool finished = (WIFEXITED(*status) && WEXITSTATUS(*status) == 0) ||
                              std::filesystem::file_size(path("volume.img")) == 512 * 1024 * 1024;
        if (finished) continue;
        EXPECT_TRUE(seen) << "the conversion ended with status " << *status << " before writing";
        ASSERT_TRUE(WIFSIGNALED(*status)) << "status " << *status;
        EXPECT_EQ(WTERMSIG(*status), signal) << "the signal's usual end";
        EXPECT_EQ(listing(), (std::vector<std::string>{"device.hda", "volume.img"}));
        EXPECT_EQ(readText("volume.img"), "keep me");
        return;
    }
    FAIL() << "the conversion ended each time before the signal came";
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptedWriteTest,
                         ::testing::Values(SignalCase{"SIGINT", SIGINT}, SignalCase{"SIGTERM", SIGTERM},
                                           SignalCase{"SIGHUP", SIGHUP}, SignalCase{"SIGQUIT", SIGQUIT},
                                           SignalCase{"SIGUSR1", SIGUSR1}, SignalCase{"SIGUSR2", SIGUSR2},
                                           SignalCase{"SIGALRM", SIGALRM}, SignalCase{"SIGVTALRM", SIGVTALRM},
                                           SignalCase{"SIGPROF", SIGPROF}, SignalCase{"SIGXFSZ", SIGXFSZ},
                                           SignalCase{"SIGXCPU", SIGXCPU}, SignalCase{"SIGPWR", SIGPWR},
                                           SignalCase{"SIGSTKFLT", SIGSTKFLT},
                                           SignalCase{"SIGRTMIN", SIGRTMIN}, SignalCase{"SIGRTMAX", SIGRTMAX}),
                         testing::namedBy(&SignalCase::name));

}  // namespace
}  // namespace zorv::testing

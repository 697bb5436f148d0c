#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>

#include "cli/EndToEnd.hpp"

// A conversion stopped by Ctrl-C, kill or a closed terminal, as a user meets
// it: the built binary converts a large volume and is sent the signal while
// its temporary file is being written.
namespace zorv::testing {
namespace {

// Watches a folder for the writer's temporary file (".zorv-" and six
// characters) to appear.
class TemporaryFileWatch {
public:
    explicit TemporaryFileWatch(const std::filesystem::path& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE) < 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TemporaryFileWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    TemporaryFileWatch(const TemporaryFileWatch&) = delete;
    TemporaryFileWatch& operator=(const TemporaryFileWatch&) = delete;

    bool works() const { return fd_ >= 0; }

    // True once the file appears; false when `child` ends first or a minute
    // goes by (its exit status then in `status`).
    bool waitForFile(pid_t child, std::optional<int>& status) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd watched{fd_, POLLIN, 0};
            if (::poll(&watched, 1, 10) > 0 && sawTemporaryFile()) return true;
            int ended = 0;
            if (::waitpid(child, &ended, WNOHANG) == child) {
                status = ended;
                return false;
            }
        }
        return false;
    }

private:
    bool sawTemporaryFile() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t length = ::read(fd_, buffer, sizeof buffer);
            if (length <= 0) return false;
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                if (event->len > 0 && std::string_view(event->name).starts_with(".zorv-")) return true;
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd_;
};

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
        TemporaryFileWatch watch(folder.path());
        if (!watch.works()) GTEST_SKIP() << "inotify is not available";
        const pid_t child = startZorvBinary({"convert", "to-volume", "device.hda", "volume.img"}, folder.path());
        std::optional<int> status;
        const bool seen = watch.waitForFile(child, status);
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
                                           SignalCase{"SIGHUP", SIGHUP}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorv::testing

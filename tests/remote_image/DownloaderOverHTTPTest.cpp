#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "remote_image/DownloadOutput.hpp"
#include "remote_image/LoopbackHTTPServer.hpp"
#include "remote_image/WebFetchError.hpp"
#include "remote_image/WexDownloader.hpp"
#include "remote_image/WexDownloaderError.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::LoopbackHTTPServer;
using testing::TemporaryDirectory;
using testing::withFixedTemporaryNames;
using namespace std::chrono_literals;

void writeFile(const std::filesystem::path& path, std::string_view contents) { std::ofstream(path, std::ios::binary) << contents; }

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string text(const ImageBytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::string largeBody() {
    std::string body(300000, '\0');
    for (size_t index = 0; index < body.size(); ++index) body[index] = static_cast<char>('a' + index % 26);
    return body;
}

// A loopback port that nothing listens on (taken and given back at once).
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class DownloaderOverHTTP : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files_ = std::make_unique<TemporaryDirectory>();
        writeFile(files_->path() / "disk.img", "twelve bytes");
        writeFile(files_->path() / "empty.img", "");
        writeFile(files_->path() / "large.img", largeBody());
        std::filesystem::create_directory(files_->path() / "folder");
        writeFile(files_->path() / "folder" / "index.html", "folder index");
        server_ = std::make_unique<LoopbackHTTPServer>(files_->path());
    }
    static void TearDownTestSuite() {
        server_.reset();
        files_.reset();
    }
    void SetUp() override {
        if (server_->status() == LoopbackHTTPServer::Status::noPython) GTEST_SKIP() << "python3 is needed for the loopback web server";
        ASSERT_EQ(server_->status(), LoopbackHTTPServer::Status::running) << server_->failure();
    }

    static std::string url(const std::string& path) { return server_->baseURL() + path; }

    static std::string syncBody(const std::string& path) {
        WexDownloader downloader(*URL::parse(url(path)));
        downloader.syncDownload();
        return text(downloader.data());
    }

    static inline std::unique_ptr<TemporaryDirectory> files_;
    static inline std::unique_ptr<LoopbackHTTPServer> server_;
};

TEST_F(DownloaderOverHTTP, FetchesTheWholeBody) {
    EXPECT_EQ(syncBody("/disk.img"), "twelve bytes");
    EXPECT_TRUE(syncBody("/large.img") == largeBody());
}

TEST_F(DownloaderOverHTTP, AStatusOf400OrMoreIsAFailedFetch) {
    WexDownloader downloader(*URL::parse(url("/missing.img")));
    downloader.setData(Bytes{7});
    try {
        downloader.syncDownload();
        ADD_FAILURE();
    } catch (const WebFetchError& error) {
        EXPECT_EQ(error.kind, WebFetchError::Kind::httpStatus);
        EXPECT_EQ(error.httpStatus, 404);
        EXPECT_EQ(error.what(), url("/missing.img") + ": the server answered with HTTP status 404");
    }
    EXPECT_EQ(downloader.data(), (Bytes{7}));
}

TEST_F(DownloaderOverHTTP, FollowsRedirects) {
    EXPECT_EQ(syncBody("/folder"), "folder index") << "a 301 to /folder/";
    EXPECT_EQ(syncBody("/redirect?" + url("/disk.img")), "twelve bytes");
    EXPECT_EQ(syncBody("/redirect?" + url("/redirect?/disk.img")), "twelve bytes") << "two in a row, the second relative";
}

TEST_F(DownloaderOverHTTP, ARedirectToAFileURLIsRefused) {
    const std::string target = "file://" + (files_->path() / "disk.img").string();
    WexDownloader downloader(*URL::parse(url("/redirect?" + target)));
    try {
        downloader.syncDownload();
        ADD_FAILURE();
    } catch (const WebFetchError& error) {
        EXPECT_EQ(error.kind, WebFetchError::Kind::transferFailed) << error.what();
        EXPECT_EQ(std::string(error.what()).rfind(url("/redirect?" + target) + ": ", 0), 0u) << error.what();
    }
    EXPECT_TRUE(downloader.data().empty());
}

TEST_F(DownloaderOverHTTP, AnEmptyBodyIsEmptyData) {
    WexDownloader downloader(*URL::parse(url("/empty.img")));
    testing::expectError<WexDownloaderError>(WexDownloaderError::Case::emptyData, [&] { downloader.syncDownload(); });
    EXPECT_TRUE(downloader.data().empty());
}

TEST_F(DownloaderOverHTTP, NoServerIsAFailedTransfer) {
    const std::string address = "http://127.0.0.1:" + std::to_string(closedPort()) + "/disk.img";
    WexDownloader downloader(*URL::parse(address));
    try {
        downloader.syncDownload();
        ADD_FAILURE();
    } catch (const WebFetchError& error) {
        EXPECT_EQ(error.kind, WebFetchError::Kind::transferFailed);
        EXPECT_EQ(std::string(error.what()).rfind(address + ": ", 0), 0u) << error.what();
    }
}

// --- Asynchronous path ---

struct AsyncRun {
    std::string output;
    bool finished;
};

AsyncRun runAsync(const std::string& address, const std::filesystem::path& temporary) {
    std::ostringstream output;
    WexDownloader downloader(*URL::parse(address));
    downloader.setOutput(output);
    downloader.setTemporaryDirectory(temporary.string());
    downloader.asyncDownload();
    const bool finished = downloader.runSession(20s);
    return {output.str(), finished};
}

std::string temporaryFileLine(const std::filesystem::path& temporary) { return "file://" + temporary.string() + "/zorv-download-XXXXXX.tmp\n"; }

std::vector<std::string> folderContents(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(DownloaderOverHTTP, AsyncDownloadPrintsProgressAndMovesTheFile) {
    TemporaryDirectory temporary;
    const AsyncRun run = runAsync(url("/disk.img"), temporary.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(withFixedTemporaryNames(run.output), "12\n12\n\"Progress  1.0\"\n" + temporaryFileLine(temporary.path()));
    EXPECT_EQ(folderContents(temporary.path()), std::vector<std::string>{"disk.img"});
    EXPECT_EQ(readFile(temporary.path() / "disk.img"), "twelve bytes");
}

TEST_F(DownloaderOverHTTP, AsyncDownloadOfUnknownLengthHasANegativeFraction) {
    TemporaryDirectory temporary;
    const AsyncRun run = runAsync(url("/unsized/disk.img"), temporary.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(withFixedTemporaryNames(run.output), "-1\n12\n\"Progress  -12.0\"\n" + temporaryFileLine(temporary.path()));
    EXPECT_EQ(readFile(temporary.path() / "disk.img"), "twelve bytes");
}

TEST_F(DownloaderOverHTTP, AsyncDownloadReportsEachChunk) {
    TemporaryDirectory temporary;
    const AsyncRun run = runAsync(url("/redirect?/large.img"), temporary.path());
    ASSERT_TRUE(run.finished);
    std::istringstream lines(run.output);
    std::string expected, written, progress;
    int64_t previous = 0;
    int chunks = 0;
    while (std::getline(lines, expected) && expected.rfind("file://", 0) != 0) {
        ASSERT_TRUE(std::getline(lines, written) && std::getline(lines, progress));
        EXPECT_EQ(expected, "300000");
        EXPECT_GT(std::stoll(written), previous);
        EXPECT_TRUE(progress.rfind("\"Progress  0.", 0) == 0 || progress == "\"Progress  1.0\"") << progress;
        previous = std::stoll(written);
        ++chunks;
    }
    EXPECT_EQ(previous, 300000);
    EXPECT_EQ(progress, "\"Progress  1.0\"");
    EXPECT_GT(chunks, 1);
    // The name comes from the downloader's own URL, whose path is /redirect.
    EXPECT_EQ(folderContents(temporary.path()), std::vector<std::string>{"redirect"});
    EXPECT_TRUE(readFile(temporary.path() / "redirect") == largeBody());
}

TEST_F(DownloaderOverHTTP, AsyncDownloadOntoAnExistingNamePrintsTheMoveError) {
    TemporaryDirectory temporary;
    writeFile(temporary.path() / "disk.img", "old");
    const AsyncRun run = runAsync(url("/disk.img"), temporary.path());
    ASSERT_TRUE(run.finished);
    const std::string folder = temporary.path().string();
    EXPECT_EQ(withFixedTemporaryNames(run.output), "12\n12\n\"Progress  1.0\"\n" + temporaryFileLine(temporary.path()) + "couldn't move " + folder +
                                                       "/zorv-download-XXXXXX.tmp to " + folder + "/disk.img: File exists\n");
    EXPECT_EQ(folderContents(temporary.path()), std::vector<std::string>{"disk.img"});
    EXPECT_EQ(readFile(temporary.path() / "disk.img"), "old");
}

TEST_F(DownloaderOverHTTP, AsyncDownloadThatFailsReportsNothing) {
    TemporaryDirectory temporary;
    const AsyncRun run = runAsync(url("/missing.img"), temporary.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(folderContents(temporary.path()).empty());
}

TEST_F(DownloaderOverHTTP, OneSessionRunsSeveralDownloads) {
    TemporaryDirectory temporary;
    std::ostringstream output;
    WexDownloader downloader(*URL::parse(url("/disk.img")));
    downloader.setOutput(output);
    downloader.setTemporaryDirectory(temporary.path().string());
    downloader.asyncDownload();
    downloader.asyncDownload();
    ASSERT_TRUE(downloader.runSession(20s));
    // Both finish; the second finds the name taken.
    EXPECT_EQ(folderContents(temporary.path()), std::vector<std::string>{"disk.img"});
    EXPECT_NE(output.str().find(": File exists\n"), std::string::npos) << output.str();
}

}  // namespace
}  // namespace zorv

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "remote_image/DownloadOutput.hpp"
#include "remote_image/WebFetchError.hpp"
#include "remote_image/WexDownloader.hpp"
#include "remote_image/WexDownloaderError.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;
using testing::withFixedTemporaryNames;
using namespace std::chrono_literals;

void writeFile(const std::string& path, std::string_view contents) { std::ofstream(path, std::ios::binary) << contents; }

// A file's bodies may be mapped into memory: a new version goes into a new
// file that takes the old one's name, never over the mapped bytes.
void replaceFile(const std::string& path, std::string_view contents) {
    writeFile(path + ".new", contents);
    std::filesystem::rename(path + ".new", path);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string text(const ImageBytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<std::string> folderContents(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// --- Blocking path, file URLs ---

TEST(WexDownloader, ReadsAFileURLAndKeepsTheLastBody) {
    TemporaryDirectory folder;
    writeFile(folder.file("disk.img"), "first body");
    WexDownloader downloader(URL::fileURLWithPath(folder.file("disk.img")));
    EXPECT_TRUE(downloader.data().empty());
    downloader.syncDownload();
    EXPECT_EQ(text(downloader.data()), "first body");
    replaceFile(folder.file("disk.img"), "second");
    downloader.syncDownload();
    EXPECT_EQ(text(downloader.data()), "second");
}

TEST(WexDownloader, AcceptsTheLocalhostFileHost) {
    TemporaryDirectory folder;
    writeFile(folder.file("disk.img"), "local");
    WexDownloader downloader(*URL::parse("file://localhost" + folder.file("disk.img")));
    downloader.syncDownload();
    EXPECT_EQ(text(downloader.data()), "local");
}

TEST(WexDownloader, AnEmptyBodyIsEmptyDataAndLeavesDataAsItWas) {
    TemporaryDirectory folder;
    writeFile(folder.file("empty.img"), "");
    WexDownloader fresh(URL::fileURLWithPath(folder.file("empty.img")));
    try {
        fresh.syncDownload();
        ADD_FAILURE();
    } catch (const WexDownloaderError& error) {
        EXPECT_EQ(error.errorCase, WexDownloaderError::Case::emptyData);
        EXPECT_STREQ(error.what(), "emptyData");
    }
    EXPECT_TRUE(fresh.data().empty());

    writeFile(folder.file("disk.img"), "kept");
    WexDownloader used(URL::fileURLWithPath(folder.file("disk.img")));
    used.syncDownload();
    replaceFile(folder.file("disk.img"), "");
    EXPECT_THROW(used.syncDownload(), WexDownloaderError);
    EXPECT_EQ(text(used.data()), "kept");
}

TEST(WexDownloader, FileErrorsAreTheFileSystemsAndLeaveDataAsItWas) {
    TemporaryDirectory folder;
    WexDownloader downloader(URL::fileURLWithPath(folder.file("missing.img")));
    downloader.setData(Bytes{1, 2, 3});
    try {
        downloader.syncDownload();
        ADD_FAILURE();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_EQ(downloader.data(), (Bytes{1, 2, 3}));

    WexDownloader folderDownloader(*URL::parse("file://" + folder.path().string()));
    EXPECT_THROW(folderDownloader.syncDownload(), std::system_error);
}

TEST(WexDownloader, RefusesURLsItCannotFetch) {
    const std::pair<const char*, const char*> cases[] = {
        {"ftp://files.zorv.dev/v.img", "ftp://files.zorv.dev/v.img: only http, https and local file URLs can be fetched"},
        {"file://otherhost/v.img", "file://otherhost/v.img: only http, https and local file URLs can be fetched"},
        {"gopher://h/x", "gopher://h/x: only http, https and local file URLs can be fetched"},
    };
    for (const auto& [url, message] : cases) {
        WexDownloader downloader(*URL::parse(url));
        try {
            downloader.syncDownload();
            ADD_FAILURE() << url;
        } catch (const WebFetchError& error) {
            EXPECT_EQ(error.kind, WebFetchError::Kind::unsupportedURL);
            EXPECT_STREQ(error.what(), message);
        }
    }
}

// --- Asynchronous path: the callbacks ---

struct ProgressCase {
    int64_t written;
    int64_t expected;
    const char* fraction;
};

TEST(WexDownloader, ProgressPrintsExpectedWrittenAndTheQuotedFraction) {
    const ProgressCase cases[] = {
        {512, 1024, "0.5"},
        {1024, 1024, "1.0"},
        {1, 3, "0.33333334"},
        {2, 3, "0.6666667"},
        {0, 1024, "0.0"},
        {1, 10, "0.1"},
        {1, 10000, "0.0001"},
        {1, 100000, "1e-05"},
        {3, 1000000000, "3e-09"},
        {12, -1, "-12.0"},
        {0, -1, "-0.0"},
        {16777216, 1, "16777216.0"},
        {33554432, 1, "3.3554432e+07"},
        {123456789, 1, "1.2345679e+08"},
        {5, 0, "inf"},
        {-5, 0, "-inf"},
        {0, 0, "nan"},
        {1536, 1024, "1.5"},
        {100, 7, "14.285714"},
    };
    for (const auto& [written, expected, fraction] : cases) {
        std::ostringstream output;
        WexDownloader downloader(*URL::parse("https://files.zorv.dev/v.img"));
        downloader.setOutput(output);
        downloader.downloadTaskDidWriteData(written, written, expected);
        EXPECT_EQ(output.str(), std::to_string(expected) + "\n" + std::to_string(written) + "\n\"Progress  " + fraction + "\"\n");
    }
}

struct MoveCase {
    const char* remoteURL;
    const char* movedName;  // nullptr: no file name in the URL
};

TEST(WexDownloader, CompletionMovesTheFileUnderTheRemoteName) {
    const MoveCase cases[] = {
        {"https://files.zorv.dev/v/disk.img", "disk.img"},
        {"https://files.zorv.dev/v/System%207.img?download=1#top", "System 7.img"},
        {"https://files.zorv.dev/v/folder/", "folder"},
        {"http://127.0.0.1:8000/a%zzb", "a%zzb"},
        {"file:///srv/zorv/volume.dsk", "volume.dsk"},
        {"https://files.zorv.dev", nullptr},
        {"https://files.zorv.dev/", nullptr},
        {"https://files.zorv.dev/v/..", nullptr},
        {"https://files.zorv.dev/v/%2F", nullptr},
    };
    for (const auto& [remoteURL, movedName] : cases) {
        SCOPED_TRACE(remoteURL);
        TemporaryDirectory folder;
        writeFile(folder.file("download.tmp"), "body");
        const URL location = URL::fileURLWithPath(folder.file("download.tmp"));
        std::ostringstream output;
        WexDownloader downloader(*URL::parse(remoteURL));
        downloader.setOutput(output);
        downloader.downloadTaskDidFinishDownloading(location);
        if (movedName != nullptr) {
            EXPECT_EQ(output.str(), "file://" + folder.file("download.tmp") + "\n");
            EXPECT_EQ(folderContents(folder.path()), std::vector<std::string>{movedName});
            EXPECT_EQ(readFile(folder.path() / movedName), "body");
        } else {
            EXPECT_EQ(output.str(), "file://" + folder.file("download.tmp") + "\ncouldn't move " + folder.file("download.tmp") + ": " + remoteURL +
                                        " names no file\n");
            EXPECT_EQ(folderContents(folder.path()), std::vector<std::string>{"download.tmp"});
        }
    }
}

TEST(WexDownloader, AFailedMovePrintsWhyAndGoesOn) {
    TemporaryDirectory folder;
    writeFile(folder.file("download.tmp"), "new");
    writeFile(folder.file("disk.img"), "old");
    std::ostringstream output;
    WexDownloader downloader(*URL::parse("https://files.zorv.dev/v/disk.img"));
    downloader.setOutput(output);
    downloader.downloadTaskDidFinishDownloading(URL::fileURLWithPath(folder.file("download.tmp")));
    EXPECT_EQ(output.str(), "file://" + folder.file("download.tmp") + "\ncouldn't move " + folder.file("download.tmp") + " to " + folder.file("disk.img") +
                                ": File exists\n");
    EXPECT_EQ(readFile(folder.file("disk.img")), "old");
    EXPECT_TRUE(downloader.data().empty());
}

// --- Asynchronous path over file URLs ---

TEST(WexDownloader, AsyncDownloadOfAFileURL) {
    TemporaryDirectory source;
    TemporaryDirectory temporary;
    writeFile(source.file("disk.img"), "twelve bytes");
    std::ostringstream output;
    WexDownloader downloader(URL::fileURLWithPath(source.file("disk.img")));
    downloader.setOutput(output);
    downloader.setTemporaryDirectory(temporary.path().string());

    downloader.asyncDownload();
    EXPECT_EQ(output.str(), "") << "nothing happens until the session is serviced";
    ASSERT_TRUE(downloader.runSession(10s));

    EXPECT_EQ(withFixedTemporaryNames(output.str()), "12\n12\n\"Progress  1.0\"\nfile://" + temporary.path().string() + "/zorv-download-XXXXXX.tmp\n");
    EXPECT_EQ(folderContents(temporary.path()), std::vector<std::string>{"disk.img"});
    EXPECT_EQ(readFile(temporary.path() / "disk.img"), "twelve bytes");
    EXPECT_TRUE(downloader.data().empty()) << "the asynchronous path leaves data alone";
    EXPECT_TRUE(downloader.runSession(0ms)) << "nothing left to do";
}

TEST(WexDownloader, AsyncDownloadThatFailsReportsNothing) {
    TemporaryDirectory source;
    TemporaryDirectory temporary;
    std::ostringstream output;
    WexDownloader downloader(URL::fileURLWithPath(source.file("missing.img")));
    downloader.setOutput(output);
    downloader.setTemporaryDirectory(temporary.path().string());
    downloader.asyncDownload();
    ASSERT_TRUE(downloader.runSession(10s));
    EXPECT_EQ(output.str(), "");
    EXPECT_TRUE(folderContents(temporary.path()).empty()) << "the temporary file is gone";
}

TEST(WexDownloader, AnUnfinishedSessionCleansUpWithTheDownloader) {
    TemporaryDirectory source;
    TemporaryDirectory temporary;
    writeFile(source.file("disk.img"), "bytes");
    {
        std::ostringstream output;
        WexDownloader downloader(URL::fileURLWithPath(source.file("disk.img")));
        downloader.setOutput(output);
        downloader.setTemporaryDirectory(temporary.path().string());
        downloader.asyncDownload();
        EXPECT_EQ(folderContents(temporary.path()).size(), 1u);
    }
    EXPECT_TRUE(folderContents(temporary.path()).empty());
}

}  // namespace
}  // namespace zorv

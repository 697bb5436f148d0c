#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <system_error>
#include <thread>

#include "disk_image/blocks/PhysicalBlockFile.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

TEST(FileSystem, ReadsWholeFilesAndEmptyOnes) {
    TemporaryDirectory folder;
    const std::string path = folder.file("a.bin");
    std::ofstream(path, std::ios::binary) << "hello";
    EXPECT_EQ(fs::readWholeFile(path), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    std::ofstream(folder.file("empty.bin"), std::ios::binary);
    EXPECT_EQ(fs::readWholeFile(folder.file("empty.bin")).size(), 0u);
    try {
        fs::readWholeFile(folder.file("missing"));
        ADD_FAILURE();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_THROW(fs::readWholeFile(folder.path().string()), std::system_error);
}

// A pipe has no size to map: what its writer gives is read to the end.
TEST(FileSystem, ANamedPipeIsReadWhole) {
    TemporaryDirectory folder;
    const std::string path = folder.file("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    Bytes expected(300 * 1024);
    for (size_t index = 0; index < expected.size(); ++index) expected[index] = static_cast<uint8_t>(index % 251);
    std::thread writer([&] {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(expected.data()), static_cast<std::streamsize>(expected.size()));
    });
    const ImageBytes read = fs::readWholeFile(path);
    writer.join();
    EXPECT_EQ(read, expected);
}

TEST(FileSystem, ExtendedAttributes) {
    TemporaryDirectory folder;
    const std::string path = folder.file("f");
    std::ofstream(path) << "x";
    const URL url = URL::fileURLWithPath(path);
    try {
        setExtendedAttribute(url, Bytes{1, 2, 3}, "com.apple.ResourceFork");
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) GTEST_SKIP() << "this file system keeps no extended attributes";
        throw;
    }
    EXPECT_EQ(fs::extendedAttribute(url, "com.apple.ResourceFork"), (Bytes{1, 2, 3}));
    setExtendedAttribute(url, Bytes{9}, "com.apple.ResourceFork");
    EXPECT_EQ(fs::extendedAttribute(url, "com.apple.ResourceFork"), (Bytes{9}));
    EXPECT_EQ(fs::extendedAttribute(url, "com.apple.Other"), std::nullopt);

    try {
        setExtendedAttribute(URL::fileURLWithPath(folder.file("missing")), Bytes{1}, "com.apple.ResourceFork");
        ADD_FAILURE();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_STREQ(error.what(), "No such file or directory") << "the C library's text for errno";
    }
}

TEST(URL, FileAndWebURLs) {
    const URL file = URL::fileURLWithPath("/a/b/c.img");
    EXPECT_TRUE(file.isFileURL());
    EXPECT_FALSE(file.hasDirectoryPath());
    EXPECT_EQ(file.lastPathComponent(), "c.img");
    EXPECT_EQ(file.deletingLastPathComponent().path(), "/a/b/");
    EXPECT_EQ(file.absoluteString(), "file:///a/b/c.img");
    const auto web = URL::parse("HTTPS://host/files/x.json");
    ASSERT_TRUE(web);
    EXPECT_EQ(web->scheme(), "https");
    EXPECT_FALSE(web->isFileURL());
    EXPECT_FALSE(URL::parse("no scheme here"));
    EXPECT_TRUE(URL::fileURLWithPath("relative.img").path().starts_with("/"));
}

}  // namespace
}  // namespace zorv

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "data_access/Bytes.hpp"
#include "platform/BackgroundAppender.hpp"
#include "support/TemporaryDirectory.hpp"

// A failed write in the background reaches the producer: at the end, and at
// its next piece; nothing is written after it.
namespace zorv {
namespace {

TEST(BackgroundAppenderTest, AFailedWriteIsReportedAtTheEndAndAtTheNextPiece) {
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("report.json");
    std::ofstream(path) << "";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        BackgroundAppender appender(fd);
        const Bytes piece(1000, 'x');
        EXPECT_EQ(appender.append(piece), 0) << "taken to be written";
        EXPECT_EQ(appender.finish(), EBADF);
        EXPECT_EQ(appender.append(piece), EBADF);
    }
    ::close(fd);
}

}  // namespace
}  // namespace zorv

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "data_access/Bytes.hpp"
#include "platform/AtomicFileWriter.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

// A file written as it is produced, over several megabytes (each handed to
// the disk's write-back as the next is written), replaces its target whole,
// and only when finished.
namespace zorv {
namespace {

TEST(AtomicFileWriterTest, AFileWrittenPieceByPieceReplacesItsTargetWhenFinished) {
    const testing::TemporaryDirectory folder;
    const std::string target = folder.file("report.json");
    std::ofstream(target) << "the earlier report";

    Bytes expected;
    AtomicFileWriter writer(target);
    writer.begin(true);
    for (int64_t piece = 0; piece < 50; ++piece) {
        Bytes bytes(65536 + static_cast<size_t>(piece), static_cast<uint8_t>(piece));
        writer.append(bytes);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(fs::readWholeFile(target).toBytes(), Bytes(std::string_view("the earlier report").begin(),
                                                         std::string_view("the earlier report").end()));
    writer.finish();
    EXPECT_EQ(fs::readWholeFile(target).toBytes(), expected);
}

}  // namespace
}  // namespace zorv

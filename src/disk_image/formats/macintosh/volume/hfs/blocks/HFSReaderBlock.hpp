#pragma once

#include <vector>

#include "data_access/BigEndianReader.hpp"
#include "data_access/Date.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"

namespace zorv {

// The cursor of classic Macintosh records: big-endian integers, Mac OS Roman
// text, dates as unsigned 32-bit seconds since 1904-01-01 00:00:00 on the
// wall clock of the Macintosh that wrote them (MacintoshLocalDate).
class HFSReaderBlock : public BigEndianReader {
public:
    explicit HFSReaderBlock(ImageBytes data, int64_t offset = 0)
        : BigEndianReader(std::move(data), offset, TextEncoding::macOSRoman) {}

    // 1904-01-01 00:00:00 on the wall clock, the date a stored 0 names, as
    // an instant of the host's current time zone.
    static Date epoch();

    // The instant at which the host's zone shows the stored wall-clock time,
    // with the zone's rules for that date (daylight-saving time included).
    Date getDateFromMacintoshIntegerValue();
    // Three extent descriptors (12 bytes).
    std::vector<ExtDescriptor> getExtDescArray();

    // The stored form of a date: its wall-clock time in the host's zone as
    // seconds since 1904, clamped to the field's range (dates before 1904
    // store 0, after early 2040 store 0xFFFFFFFF) so that no date can make a
    // record unwritable.
    static int64_t macintoshIntegerValue(Date date);
};

}  // namespace zorv

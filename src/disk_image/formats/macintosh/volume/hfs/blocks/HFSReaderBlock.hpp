#pragma once

#include <vector>

#include "data_access/BigEndianReader.hpp"
#include "data_access/Date.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"

namespace zorv {

// The cursor of classic Macintosh records: big-endian integers, Mac OS Roman
// text, dates as unsigned 32-bit seconds since 1904-01-01 00:00 local time.
class HFSReaderBlock : public BigEndianReader {
public:
    explicit HFSReaderBlock(ImageBytes data, int64_t offset = 0)
        : BigEndianReader(std::move(data), offset, TextEncoding::macOSRoman) {}

    // 1904-01-01 00:00:00 in the host's current time zone, with the offset
    // from UTC that the zone's rules give for that date; computed at each
    // use, or once in a SteadyTimeZone scope.
    static Date epoch();

    // Epoch plus the stored seconds (a plain sum, no daylight-saving change).
    Date getDateFromMacintoshIntegerValue();
    // Three extent descriptors (12 bytes).
    std::vector<ExtDescriptor> getExtDescArray();

    // The stored form of a date: seconds since the epoch, clamped to the
    // field's range (dates before 1904 store 0, after early 2040 store
    // 0xFFFFFFFF) so that no date can make a record unwritable.
    static int64_t macintoshIntegerValue(Date date);

private:
    // The epoch in the zone TZ names now.
    static Date zoneEpoch();
};

}  // namespace zorv

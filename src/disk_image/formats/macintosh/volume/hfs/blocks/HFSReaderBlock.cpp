#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

#include "disk_image/formats/macintosh/volume/MacintoshLocalDate.hpp"

namespace zorv {

Date HFSReaderBlock::epoch() { return MacintoshLocalDate::date(0); }

Date HFSReaderBlock::getDateFromMacintoshIntegerValue() {
    // Big-endian whatever the cursor, as every Macintosh date is.
    return MacintoshLocalDate::date(getLongInteger());
}

std::vector<ExtDescriptor> HFSReaderBlock::getExtDescArray() {
    data.slice(offset, 12);  // the whole record must be present
    std::vector<ExtDescriptor> descriptors;
    descriptors.reserve(3);
    for (int i = 0; i < 3; ++i) {
        const int64_t first = getInteger();
        const int64_t count = getInteger();
        descriptors.emplace_back(first, count);
    }
    return descriptors;
}

int64_t HFSReaderBlock::macintoshIntegerValue(Date date) { return MacintoshLocalDate::stored(date); }

}  // namespace zorv

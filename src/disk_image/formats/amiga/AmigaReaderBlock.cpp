#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"

#include <algorithm>

namespace zorv {

std::string AmigaReaderBlock::getBCPLString(int64_t length) {
    const int64_t start = offset;
    const ImageBytes field = take(length);
    if (length == 0) return {};
    const int64_t available = static_cast<int64_t>(data.size()) - start - 1;
    const int64_t count = std::min<int64_t>(field[0], available);
    return decode(data.slice(start + 1, count));
}

AmigaDateComponents AmigaReaderBlock::getAmigaDate() {
    AmigaDateComponents date;
    date.days = getLongInteger();
    date.minutes = getLongInteger();
    date.ticks = getLongInteger();
    return date;
}

}  // namespace zorv

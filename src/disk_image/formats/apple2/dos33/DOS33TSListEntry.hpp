#pragma once

#include <cstdint>

namespace zorv {

// One sector of a DOS 3.3 disk's sector map: where it is, what uses it and
// who owns it (DOS, the catalog, or the file whose uuid it carries).
struct DOS33TSListEntry {
    // The raw values are the colours of the sector map.
    enum class Usage : int64_t {
        system = 0,   // DOS's own tracks 0 to 2
        catalog = 1,  // the VTOC and the catalog sectors
        user = 2,     // a file's data sectors
    };

    int64_t track = 0;
    int64_t sector = 0;
    Usage usage = Usage::system;
    int64_t owner = 0;

    friend bool operator==(const DOS33TSListEntry&, const DOS33TSListEntry&) = default;
};

}  // namespace zorv

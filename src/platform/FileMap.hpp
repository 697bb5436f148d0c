#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"

namespace zorv {

// Read-only memory maps of regular files, which remember their file so that
// the runs of a map that may hold data can be told from the file's holes
// without touching the holes' pages: a sparse disk image of a gigabyte with
// a few megabytes of files is copied by reading those megabytes only.
class FileMap {
public:
    // A byte range, relative to the bytes asked about.
    struct Region {
        size_t offset;
        size_t length;
    };

    // The first `length` bytes of the open regular file `fd` (which the map
    // takes over and closes when the last slice of it goes), or nothing when
    // it cannot be mapped (`fd` is then left open).
    static std::optional<ImageBytes> map(int fd, size_t length);

    // The parts of `bytes` that may hold anything but zeros, in order. When
    // `bytes` lie in a map made here, the parts of it over holes of its file
    // are left out (they read as zeros); otherwise, or when the file cannot
    // tell, the whole of `bytes`.
    static std::vector<Region> dataRegions(ByteView bytes);
};

}  // namespace zorv

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"

namespace zorv {

// One file system header block ("FSHD") of an Amiga hard disk: a file system
// stored on the drive for the partitions of its DOS type, and the head of the
// chain of load segment blocks that carry its code. The signature and
// checksum are read, never checked.
struct ADFDiskFileSystemHeader : AmigaBlockable<ADFDiskFileSystemHeader> {
    // The bytes read: every field up to globalVec.
    static constexpr int64_t readSize = 80;

    std::string id;
    int64_t sizeInLongs = 0;
    int64_t checksum = 0;
    int64_t hostID = 0;
    int64_t next = -1;  // the next header block, -1 at the end
    int64_t flags = 0;
    int64_t dosType = 0;  // the flavour byte after "DOS", 0...255
    int64_t version = 0;
    int64_t patchFlags = 0;
    int64_t type = 0;
    int64_t task = 0;
    int64_t lock = 0;
    int64_t handler = 0;
    int64_t stackSize = 0;
    int64_t priority = 0;
    int64_t startup = 0;
    int64_t segListBlock = -1;  // the first load segment block, -1 for none
    int64_t globalVec = 0;
    // The load data of the header's segments joined in chain order; the hard
    // disk reader fills it.
    Bytes lseg;

    // Reads the first readSize bytes of `block`; ReadPastEndError for a
    // shorter block.
    explicit ADFDiskFileSystemHeader(const ImageBytes& block);

    // Nothing writes file system headers: 512 zero bytes.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv

#pragma once

#include <cstdint>
#include <optional>

#include "platform/URL.hpp"

namespace zorv::fs {

// The HFS type and creator codes that the host keeps for a file, each a
// four-character code as a big-endian 32-bit value ('dimg' is 0x64696D67).
//
// Linux has no such codes of its own. They are kept where a Mac copies them
// when it writes to a foreign file system and where file-transfer tools put
// them: the Finder information extended attribute "com.apple.FinderInfo"
// (stored as "user.com.apple.FinderInfo"), 32 bytes of which the first four
// are the type and the next four the creator.
struct HFSTypeAndCreator {
    uint32_t type = 0;
    uint32_t creator = 0;

    friend bool operator==(const HFSTypeAndCreator&, const HFSTypeAndCreator&) = default;
};

// The codes of a file, or nothing when it has none: no Finder information,
// Finder information shorter than 8 bytes, or a file whose attributes cannot
// be read at all (not a file URL, an empty path, a missing file, a file
// system without extended attributes). Never throws.
std::optional<HFSTypeAndCreator> hfsTypeAndCreator(const URL& file);

// Gives a file these codes. The rest of any Finder information already there
// (flags, icon position) is kept; a file without any gets 32 bytes, zero
// after the codes. A failure throws std::system_error with the real errno.
void setHFSTypeAndCreator(const URL& file, HFSTypeAndCreator codes);

}  // namespace zorv::fs

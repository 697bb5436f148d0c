#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The header of the two boot blocks (bytes 0 to 1023) of an HFS or MFS
// volume. A volume that can start a Macintosh opens with "LK", the boot
// block ID, followed by the names of the system files and the sizes of the
// system heap; the boot code comes after byte 148 and is not read. HFS and
// MFS volumes call themselves bootable when the ID is there.
struct BootBlockHeader : HFSBlockable<BootBlockHeader> {
    // "LK", the boot block ID of a startup volume.
    static constexpr std::array<uint8_t, 2> bootBlockSignature{0x4C, 0x4B};
    // Bytes the header takes from the start of the volume.
    static constexpr int64_t headerSize = 148;
    // Bytes of the two boot blocks.
    static constexpr int64_t bootBlocksSize = 1024;

    int64_t bbEntry = 0;        // entry point of the boot code
    int64_t bbVersion = 0;      // boot block version
    int64_t bbPageFlags = 0;    // page flags
    std::string bbSysName;      // system file
    std::string bbShellName;    // shell, normally the Finder
    std::string bbDbg1Name;     // first debugger
    std::string bbDbg2Name;     // second debugger
    std::string bbScreenName;   // start-up screen
    std::string bbHelloName;    // start-up program
    std::string bbScrapName;    // scrap file
    int64_t bbCntFCBs = 0;      // file control blocks to allocate
    int64_t bbCntEvts = 0;      // event queue elements
    int64_t bb128KSHeap = 0;    // system heap size on a 128K machine
    int64_t bb256KSHeap = 0;    // system heap size on a 256K machine
    int64_t bbSysHeapSize = 0;  // system heap size on a machine of 512K or more
    int64_t filler = 0;         // reserved
    int64_t bbSysHeapExtra = 0; // additional system heap space
    int64_t bbSysHeapFract = 0; // fraction of memory for the system heap

    // The empty header: no boot block ID, every field zero or empty.
    BootBlockHeader() = default;

    // Reads the header from the first bytes of a volume (normally its first
    // 1024). Never fails: bytes that do not begin with "LK" give the empty
    // header, and so do bytes that begin with it but stop before the header
    // does (fewer than 148 bytes, or a name whose length byte runs past the
    // end): such boot blocks cannot start anything. Names take as many bytes
    // as their length byte says, even past their 16-byte field; the next
    // name is read 16 bytes on whatever the length.
    explicit BootBlockHeader(const ImageBytes& block);

    // True when the boot blocks do not begin with the boot block ID.
    bool isEmpty() const { return bbID_.empty(); }
    // The 2 ID bytes when present, otherwise no bytes.
    const Bytes& bbID() const { return bbID_; }

    // Two chunks of 512 zero bytes whatever the fields hold. The header alone
    // is no boot code: writing the ID without the code that follows it would
    // send a Macintosh into zeros at start-up, so boot blocks are written
    // empty, and a volume given them is not bootable.
    std::vector<Bytes> dataBlockArray() const;

private:
    Bytes bbID_;
};

}  // namespace zorv

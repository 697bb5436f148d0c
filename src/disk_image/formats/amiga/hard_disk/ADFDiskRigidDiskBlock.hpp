#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// The Rigid Disk Block ("RDSK") of an Amiga hard disk: the drive's block
// size and geometry, its name, and the heads of the partition and file
// system chains. Only its first 216 bytes are read; the checksum is not
// verified.
struct ADFDiskRigidDiskBlock {
    static constexpr std::array<uint8_t, 4> signature{'R', 'D', 'S', 'K'};
    // The bytes read: every field up to controllerRevision.
    static constexpr int64_t readSize = 216;
    // What a chain pointer holds at its end.
    static constexpr int64_t endOfChain = -1;

    std::string id;
    int64_t sizeInLongs = 0;
    int64_t checksum = 0;
    int64_t hostID = 0;
    int64_t blockBytes = 0;  // the drive's block size in bytes
    int64_t flags = 0;
    int64_t badBlockList = endOfChain;
    int64_t partitionList = endOfChain;      // first partition block
    int64_t fileSysHeaderList = endOfChain;  // first file system header block
    int64_t driveInit = endOfChain;
    int64_t cylinders = 0;
    int64_t sectors = 0;  // blocks per track
    int64_t heads = 0;
    int64_t interleave = 0;
    int64_t park = 0;
    int64_t writePreComp = 0;
    int64_t reducedWrite = 0;
    int64_t stepRate = 0;
    int64_t rdbBlocksLo = 0;
    int64_t rdbBlocksHi = 0;
    int64_t loCylinder = 0;
    int64_t hiCylinder = 0;
    int64_t cylBlocks = 0;
    int64_t autoParkSeconds = 0;
    int64_t highRDSKBlock = 0;
    std::string diskVendor;
    std::string diskProduct;
    std::string diskRevision;
    std::string controllerVendor;
    std::string controllerProduct;
    std::string controllerRevision;

    ADFDiskRigidDiskBlock() = default;
    // Reads the fields from the start of `block`; ReadPastEndError when it
    // holds fewer than readSize bytes. Texts are ISO Latin 1 with control
    // characters trimmed.
    explicit ADFDiskRigidDiskBlock(const ImageBytes& block);
};

}  // namespace zorv

#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"

#include <algorithm>
#include <array>

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {
namespace {

constexpr std::array<uint8_t, 2> signature{'P', 'M'};
constexpr int64_t typeLength = 32;
constexpr int64_t processorLength = 16;
constexpr int64_t trailerLength = 16;
// Where the trailer begins in the record.
constexpr int64_t trailerOffset = 136;

// The first 32 characters of a volume or partition name. A character may be
// more than one byte on disk (a letter and a combining accent); then more are
// dropped, so that the name always fits its 32-byte field.
std::string nameField(const std::string& name) {
    const auto ends = characterEnds(name);
    size_t kept = std::min<size_t>(ends.size(), static_cast<size_t>(PartitionMapEntry::nameLength));
    const auto prefix = [&](size_t characters) { return name.substr(0, characters == 0 ? 0 : ends[characters - 1]); };
    while (kept > 0) {
        const auto encoded = encodeText(prefix(kept), TextEncoding::macOSRoman);
        if (!encoded || static_cast<int64_t>(encoded->size()) <= PartitionMapEntry::nameLength) break;
        --kept;
    }
    return prefix(kept);
}

// The type string's first word: NULs count as spaces and leading spaces are
// skipped.
std::string firstWord(const std::string& type) {
    std::string text = type;
    std::replace(text.begin(), text.end(), '\0', ' ');
    const size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    const size_t end = text.find(' ', begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

PartitionMapEntry::PartitionMapEntry(const ImageBytes& block)
    : pmSig(signature.begin(), signature.end()), physicalBlockSizeInBytes(static_cast<int64_t>(block.size())) {
    HFSReaderBlock reader(block);
    reader.getAndCheckSignature(signature,
                                PartitionMapEntryError(PartitionMapEntryError::Case::invalidPartitionMapSignature));
    // The whole record up to the trailer's end must be there before any
    // field is taken.
    block.slice(0, minimumBlockSize);
    pmSigPad = reader.getInteger();
    pmMapBlkCnt = reader.getLongInteger();
    pmPyPartStart = reader.getLongInteger();
    pmPartBlkCnt = reader.getLongInteger();
    pmPartName = reader.getPackedString(nameLength);
    pmParType = reader.getPackedString(typeLength);
    pmLgDataStart = reader.getLongInteger();
    pmDataCnt = reader.getLongInteger();
    pmPartStatus.rawValue = reader.getLongInteger();
    pmLgBootStart = reader.getLongInteger();
    pmBootSize = reader.getLongInteger();
    pmBootAddr = reader.getLongInteger();
    pmBootAddr2 = reader.getLongInteger();
    pmBootEntry = reader.getLongInteger();
    pmBootEntry2 = reader.getLongInteger();
    pmBootCksum = reader.getLongInteger();
    pmProcessor = reader.getPackedString(processorLength);
    trailer = reader.getSignedByteArray(trailerLength);

    const auto type = PartitionType::findTypeMatching(firstWord(pmParType));
    if (!type) throw PartitionMapEntryError(PartitionMapEntryError::Case::unknownPartitionType, pmParType);
    partitionType = *type;
}

PartitionMapEntry::PartitionMapEntry(const PartitionType& type, int64_t pmMapBlkCnt, int64_t physicalBlockSize)
    : pmSig(signature.begin(), signature.end()),
      pmMapBlkCnt(pmMapBlkCnt),
      pmParType(type.id()),
      partitionType(type),
      physicalBlockSizeInBytes(physicalBlockSize) {
    using Case = PartitionType::Case;
    switch (type.kind()) {
        case Case::appleDriver:
            pmPartName = type.name();
            pmPartStatus.rawValue = PartStatusFlags::driver;
            pmProcessor = "68000";
            break;
        case Case::appleDriver43:
            pmPartName = "Macintosh";
            pmPartStatus.rawValue = PartStatusFlags::driver;
            // Fixed numbers, whichever driver the partition holds.
            pmBootSize = 9392;
            pmBootCksum = 0xF624;
            pmProcessor = "68000";
            trailer = type.trailer();
            break;
        case Case::applePartitionMap:
            pmPartName = "Apple";
            pmPartStatus.rawValue = PartStatusFlags::volume;
            break;
        case Case::appleFree:
            pmPartName = "Extra";
            pmPartStatus.rawValue = PartStatusFlags::volume;
            break;
        case Case::appleHFS:
        case Case::appleMFS:
            pmPartName = nameField(type.name());
            pmPartStatus.rawValue = PartStatusFlags::hfsVolume;
            break;
        case Case::applePRODOS:
        case Case::appleUnixSVR2:
            pmPartName = nameField(type.name());
            pmPartStatus.rawValue = PartStatusFlags::volume;
            break;
        case Case::appleDriverIOKit:
            pmPyPartStart = 192;
            pmPartBlkCnt = 512;
            pmPartName = "Macintosh";
            break;
        case Case::applePatches:
            pmPyPartStart = 704;
            pmPartBlkCnt = 512;
            pmPartName = "Patch Partition";
            break;
        default: break;
    }
    if (type.hasValues()) {
        pmPyPartStart = type.startBlock();
        pmPartBlkCnt = type.sizeInBlocks();
    }
    pmDataCnt = pmPartBlkCnt;
}

const std::vector<int64_t>& PartitionMapEntry::incorrectDriverPartitionTrailer() {
    static const std::vector<int64_t> incorrect{0, 0, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0};
    return incorrect;
}

std::vector<Bytes> PartitionMapEntry::dataBlockArray() const {
    const auto trailerCount = static_cast<int64_t>(trailer.size());
    if (trailerCount > recordSize - trailerOffset) {
        throw FieldEncodingError("a trailer of " + std::to_string(trailerCount) + " bytes does not fit the entry");
    }
    return {pmSig,
            integer(pmSigPad),
            longInteger(pmMapBlkCnt),
            longInteger(pmPyPartStart),
            longInteger(pmPartBlkCnt),
            packedString(pmPartName, nameLength),
            packedString(pmParType, typeLength),
            longInteger(pmLgDataStart),
            longInteger(pmDataCnt),
            longInteger(pmPartStatus.rawValue),
            longInteger(pmLgBootStart),
            longInteger(pmBootSize),
            longInteger(pmBootAddr),
            longInteger(pmBootAddr2),
            longInteger(pmBootEntry),
            longInteger(pmBootEntry2),
            longInteger(pmBootCksum),
            packedString(pmProcessor, processorLength),
            signedByteArray(trailer),
            Bytes(static_cast<size_t>(recordSize - trailerOffset - trailerCount), 0)};
}

std::string PartitionMapEntry::partitionTypeLabel() const { return std::string(partitionType.descriptiveName()); }

std::string PartitionMapEntry::partitionName() const {
    if (associatedVolume_) return associatedVolume_->volumeName();
    if (scsiDriver) return scsiDriver->name;
    return pmPartName;
}

int64_t PartitionMapEntry::sizeInBytes() const { return checked::mul(pmPartBlkCnt, physicalBlockSizeInBytes); }

bool PartitionMapEntry::isInteresting() const { return partitionType.isInterestingForUser(); }

bool PartitionMapEntry::hasWarning() const {
    if (isDriverPartitionEntryTrailerIncorrect()) return true;
    return scsiDriver && *scsiDriver == SCSIDriver::lido();
}

std::optional<ImageBytes> PartitionMapEntry::partitionData() const { return ImageBytes(dataBlock()); }

}  // namespace zorv

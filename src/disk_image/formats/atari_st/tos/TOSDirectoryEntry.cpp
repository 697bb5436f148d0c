#include "disk_image/formats/atari_st/tos/TOSDirectoryEntry.hpp"

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/atari_st/FATReaderBlock.hpp"
#include "disk_image/formats/atari_st/TOSDateComponents.hpp"

namespace zorv {
namespace {

constexpr uint8_t neverUsedMark = 0x00;
constexpr uint8_t deletedMark = 0xE5;
// Stands for 0xE5 as the real first byte of a name.
constexpr uint8_t escapedE5Mark = 0x05;
constexpr uint8_t fullStop = 0x2E;

std::string trimmed(const std::string& text, const char* characters) {
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

}  // namespace

TOSDirectoryEntry::TOSDirectoryEntry(const ImageBytes& data, int64_t parentCluster) : parentCluster(parentCluster) {
    FATReaderBlock reader(data.slice(0, entrySize));
    Bytes nameBytes = reader.getDataBlock(8).toBytes();
    switch (nameBytes[0]) {
        case neverUsedMark: neverUsed = true; break;
        case deletedMark: deleted = true; break;
        case escapedE5Mark: nameBytes[0] = deletedMark; break;
        case fullStop:
            if (nameBytes[1] == fullStop) {
                isParentPointer = true;
            } else {
                isCurrentPointer = true;
            }
            break;
        default: break;
    }
    fileName = trimmed(decodeText(nameBytes, TextEncoding::codepage437).value_or(std::string()), " \t");
    extension = reader.getPackedString(3);
    attributes.rawValue = reader.getByte();
    reader.offset += 10;  // reserved
    const int64_t time = reader.getInteger();
    const int64_t date = reader.getInteger();
    // Tools leave the word 0 when they stamp no date; read as it stands it
    // would be 30 November 1979.
    if (date != 0) fileDateTime = TOSDateComponents::fromWords(time, date).localDate();
    startingCluster = reader.getInteger();
    fileSize = reader.getLongInteger();
}

std::string TOSDirectoryEntry::name() const {
    const std::string shownExtension = trimmed(extension, " \t");
    return shownExtension.empty() ? fileName : fileName + "." + shownExtension;
}

}  // namespace zorv

#include "disk_image/formats/apple2/dos33/DOS33FileDescriptiveEntry.hpp"

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

namespace zorv {
namespace {

// DOS pads names with spaces; a carriage return has become a line feed.
std::string trimmed(const std::string& text) {
    constexpr const char* blanks = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

DOS33FileDescriptiveEntry::DOS33FileDescriptiveEntry(const ImageBytes& block) {
    AppleIIReaderBlock reader(block.slice(0, entrySize));
    trackOfFirstTSList = reader.getUnsignedByte();
    isDeleted = trackOfFirstTSList == 0xFF;
    sectorOfFirstTSList = reader.getUnsignedByte();
    fileTypeAndFlags = reader.getUnsignedByte();
    fileName = trimmed(reader.getStringFromAppleIICharset(30));
    fileLength = reader.getInteger();
}

}  // namespace zorv

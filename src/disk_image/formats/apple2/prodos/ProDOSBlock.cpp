#include "disk_image/formats/apple2/prodos/ProDOSBlock.hpp"

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

namespace zorv {

ProDOSBlock::ProDOSBlock(const ImageBytes& block) {
    AppleIIReaderBlock reader(block);
    previousBlock = reader.getInteger();
    nextBlock = reader.getInteger();
    blockData = reader.getRemainingData();
}

std::vector<Bytes> ProDOSBlock::dataBlockArray() const {
    return {integer(previousBlock), integer(nextBlock), blockData.toBytes()};
}

}  // namespace zorv

#include "disk_image/formats/macintosh/volume/BootBlockHeader.hpp"

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/BootBlockHeaderError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

namespace {

constexpr int64_t nameFieldSize = 16;

}  // namespace

BootBlockHeader::BootBlockHeader(const ImageBytes& block) {
    if (static_cast<int64_t>(block.size()) < headerSize) return;
    HFSReaderBlock reader(block);
    BootBlockHeader header;
    try {
        reader.getAndCheckSignature(ByteView(bootBlockSignature),
                                    BootBlockHeaderError(BootBlockHeaderError::Case::noBootBlockSignature));
        header.bbEntry = reader.getLongInteger();
        header.bbVersion = reader.getInteger();
        header.bbPageFlags = reader.getInteger();
        header.bbSysName = reader.getLengthByteString(nameFieldSize);
        header.bbShellName = reader.getLengthByteString(nameFieldSize);
        header.bbDbg1Name = reader.getLengthByteString(nameFieldSize);
        header.bbDbg2Name = reader.getLengthByteString(nameFieldSize);
        header.bbScreenName = reader.getLengthByteString(nameFieldSize);
        header.bbHelloName = reader.getLengthByteString(nameFieldSize);
        header.bbScrapName = reader.getLengthByteString(nameFieldSize);
        header.bbCntFCBs = reader.getInteger();
        header.bbCntEvts = reader.getInteger();
        header.bb128KSHeap = reader.getLongInteger();
        header.bb256KSHeap = reader.getLongInteger();
        header.bbSysHeapSize = reader.getLongInteger();
        header.filler = reader.getInteger();
        header.bbSysHeapExtra = reader.getLongInteger();
        header.bbSysHeapFract = reader.getLongInteger();
    } catch (const BootBlockHeaderError&) {
        return;
    } catch (const ReadPastEndError&) {
        return;
    }
    header.bbID_.assign(bootBlockSignature.begin(), bootBlockSignature.end());
    *this = std::move(header);
}

std::vector<Bytes> BootBlockHeader::dataBlockArray() const {
    return {Bytes(512, 0), Bytes(512, 0)};
}

}  // namespace zorv

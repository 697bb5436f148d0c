#include "disk_image/formats/macintosh/volume/hfs/ExtentsRecord.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

ExtentsRecord::ExtentsRecord(const BTreeNodeRecord& leafRecord) : key(leafRecord.recordKey) {
    const ImageBytes& data = leafRecord.recordData;
    const bool hasPadByte = leafRecord.keyLength % 2 == 0 && !data.empty();
    const ImageBytes extents = hasPadByte ? data.sliceFrom(1) : data;
    if (extents.empty()) return;
    HFSReaderBlock reader(extents);
    record.records = reader.getExtDescArray();
}

}  // namespace zorv

#include "disk_image/formats/macintosh/volume/classic_types/Rect.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

Rect::Rect(const ImageBytes& data) {
    HFSReaderBlock reader(data);
    top = reader.getInteger();
    left = reader.getInteger();
    bottom = reader.getInteger();
    right = reader.getInteger();
}

}  // namespace zorv

#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"

namespace zorv {

Bytes extDescArray(const std::vector<ExtDescriptor>& descriptors) {
    Bytes bytes;
    bytes.reserve(descriptors.size() * 4);
    for (const auto& descriptor : descriptors) {
        const Bytes chunk = descriptor.dataBlock();
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    }
    return bytes;
}

}  // namespace zorv

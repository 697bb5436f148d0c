#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogItem.hpp"

namespace zorv {

std::string HFSCatalogItem::name() const { return HFSCatalogFileKey(record_.recordKey).nodeName; }

std::optional<int64_t> HFSCatalogItem::logicalSizeInBytes() const { return leafRecord().logicalSizeInBytes(); }

std::optional<int64_t> HFSCatalogItem::physicalSizeInBytes() const { return leafRecord().physicalSizeInBytes(); }

std::optional<Date> HFSCatalogItem::creationDate() const { return leafRecord().creationDate(); }

std::optional<Date> HFSCatalogItem::modificationDate() const { return leafRecord().modificationDate(); }

bool HFSCatalogItem::isFolder() const { return summary_.leafType == HFSCatalogLeafRecord::LeafType::directory; }

std::optional<std::vector<FinderFlag>> HFSCatalogItem::flags() const { return leafRecord().flags(); }

std::optional<std::string> HFSCatalogItem::kind() const { return leafRecord().kind(); }

std::optional<OSType> HFSCatalogItem::type() const { return leafRecord().type(); }

std::optional<OSType> HFSCatalogItem::creator() const { return leafRecord().creator(); }

std::optional<uint64_t> HFSCatalogItem::itemIdentifier() const {
    using LeafType = HFSCatalogLeafRecord::LeafType;
    if (summary_.leafType != LeafType::directory && summary_.leafType != LeafType::file) return std::nullopt;
    return static_cast<uint64_t>(summary_.identifier);
}

CodableVolumeItem HFSCatalogItem::generateCodableAtLevel(int64_t level) const {
    return leafRecord().generateCodableAtLevel(level);
}

}  // namespace zorv

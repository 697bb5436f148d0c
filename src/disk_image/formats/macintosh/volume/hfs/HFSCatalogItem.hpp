#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// The item an HFS volume hands out for a file or folder: a view of its
// catalog leaf (slices of the catalog's bytes), made when it is asked for.
// What the walk needs (name, kind, catalog node ID) is read from the bytes
// directly; anything else from the whole leaf record, read when asked, so
// that every answer is the one HFSCatalogLeafRecord gives.
class HFSCatalogItem final : public VolumeItemRepresentable {
public:
    // `record` is a leaf the catalog keeps (its key's fixed fields readable).
    explicit HFSCatalogItem(BTreeNodeRecord record)
        : record_(std::move(record)), summary_(HFSCatalogFile::summaryOf(record_)) {}

    // The whole leaf, read from the item's bytes.
    HFSCatalogLeafRecord leafRecord() const { return HFSCatalogLeafRecord(record_); }
    HFSCatalogLeafRecord::LeafType leafType() const { return summary_.leafType; }
    // dirDirID of a folder, filFlNum of a file, 0 otherwise.
    int64_t catalogNodeID() const { return summary_.identifier; }
    int64_t parentID() const { return summary_.parentID; }

    // VolumeItemRepresentable
    std::string name() const override;
    std::optional<int64_t> logicalSizeInBytes() const override;
    std::optional<int64_t> physicalSizeInBytes() const override;
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    bool isFolder() const override;
    std::optional<std::vector<FinderFlag>> flags() const override;
    std::optional<std::string> kind() const override;
    std::optional<OSType> type() const override;
    std::optional<OSType> creator() const override;
    bool isExportable() const override { return true; }
    std::optional<uint64_t> itemIdentifier() const override;
    CodableVolumeItem generateCodableAtLevel(int64_t level) const override;
    void fillCodableAtLevel(int64_t level, CodableVolumeItem& record) const override;

private:
    BTreeNodeRecord record_;
    HFSCatalogFile::LeafSummary summary_;
};

}  // namespace zorv

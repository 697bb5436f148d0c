#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogItem.hpp"

#include <algorithm>

#include "data_access/ByteHelpers.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/MacintoshLocalDate.hpp"
#include "disk_image/model/ISO8601DateFormatter.hpp"

namespace zorv {

namespace {

using LeafType = HFSCatalogLeafRecord::LeafType;

// Where the fields the JSON report shows lie in a record's body (after its
// type byte and reserved byte), as Inside Macintosh: Files lays them out.
namespace file {
constexpr int64_t type = 2;      // filUsrWds.fdType
constexpr int64_t creator = 6;   // filUsrWds.fdCreator
constexpr int64_t flags = 10;    // filUsrWds.fdFlags
constexpr int64_t dataLength = 24;      // filLgLen
constexpr int64_t resourceLength = 34;  // filRLgLen
constexpr int64_t created = 42;  // filCrDat
constexpr int64_t modified = 46;  // filMdDat
}  // namespace file
namespace folder {
constexpr int64_t created = 8;   // dirCrDat
constexpr int64_t modified = 12;  // dirMdDat
constexpr int64_t flags = 28;    // dirUsrInfo.frFlags
}  // namespace folder

}  // namespace

std::string HFSCatalogItem::name() const { return HFSCatalogFileKey::nodeNameOf(record_.recordKey); }

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
    CodableVolumeItem record;
    fillCodableAtLevel(level, record);
    return record;
}

void HFSCatalogItem::fillCodableAtLevel(int64_t level, CodableVolumeItem& item) const {
    // A file or folder is read field by field, only what the report shows;
    // the answers are those of the whole record (HFSCatalogLeafRecord).
    const bool isFile = summary_.leafType == LeafType::file;
    if (!isFile && summary_.leafType != LeafType::directory) {
        item = leafRecord().generateCodableAtLevel(level);
        return;
    }
    // The record was read whole when the catalog was opened: every field
    // below lies inside it.
    const bool hasPadByte = record_.keyLength % 2 == 0 && !record_.recordData.empty();
    const ByteView body = record_.recordData.view().subspan((hasPadByte ? 1 : 0) + 2);
    const auto longAt = [&](int64_t offset) -> int64_t {
        return fromLongBigEndian(body.subspan(static_cast<size_t>(offset), 4));
    };
    const auto writeDate = [&](int64_t offset, std::optional<std::string>& into) {
        if (!into) into.emplace();
        ISO8601DateFormatter::write(MacintoshLocalDate::date(longAt(offset)), *into);
    };
    // A code's text as OSType::string() gives it.
    const auto writeCode = [&](int64_t offset, std::optional<std::string>& into) {
        if (!into) into.emplace();
        decodeMacOSRoman(body.subspan(static_cast<size_t>(offset), 4), *into);
    };
    const auto flagsAt = [&](int64_t offset) -> int64_t {
        return fromBigEndian(body.subspan(static_cast<size_t>(offset), 2));
    };

    HFSCatalogFileKey::writeNodeNameOf(record_.recordKey, item.name);
    item.level = level;
    item.isFolder = !isFile;
    int64_t flagsWord = 0;
    if (isFile) {
        item.sizeInBytes = longAt(file::dataLength) + longAt(file::resourceLength);
        writeDate(file::created, item.creationDate);
        writeDate(file::modified, item.modificationDate);
        writeCode(file::type, item.type);
        writeCode(file::creator, item.creator);
        flagsWord = flagsAt(file::flags);
    } else {
        item.sizeInBytes = 0;
        writeDate(folder::created, item.creationDate);
        writeDate(folder::modified, item.modificationDate);
        item.type.reset();
        item.creator.reset();
        flagsWord = flagsAt(folder::flags);
    }
    const auto invisible = static_cast<int64_t>(FinderFlag::kIsInvisible);
    item.isInvisible = (flagsWord & invisible) == invisible;
    writeFileExtensionForTypeText(item.name, item.type, item.fileExtension);
}

}  // namespace zorv

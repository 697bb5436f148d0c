#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <vector>

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/apple2/dos33/DOS33BlankDisk.hpp"
#include "disk_image/formats/apple2/dos33/DOS33CatalogSector.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"

namespace zorv {
namespace {

// Track and sector numbers are single bytes.
constexpr int64_t addressableSectors = 256 * DOS33Disk::sectorsPerTrack + 256;

// By DOS logical sector, the 256-byte half of a track in ProDOS block order
// that holds it: the ProDOS sector interleave, worked out from the table of
// physical sectors each half of a block occupies.
constexpr std::array<int64_t, 16> proDOSHalves = [] {
    std::array<int64_t, 16> halves{};
    for (size_t logical = 0; logical < halves.size(); ++logical) {
        const int64_t physical = ProDOSDisk::SectorOrder[logical];
        for (size_t block = 0; block < ProDOSDisk::SectorPairs.size(); ++block) {
            const auto [first, second] = ProDOSDisk::SectorPairs[block];
            if (first == physical) halves[logical] = static_cast<int64_t>(block) * 2;
            if (second == physical) halves[logical] = static_cast<int64_t>(block) * 2 + 1;
        }
    }
    return halves;
}();

// A sector's number counted from track 0 sector 0, which is also where it
// lies: the key of the visited sets.
int64_t linearSector(int64_t track, int64_t sector) { return track * DOS33Disk::sectorsPerTrack + sector; }

// The bytes at 0x34 of the VTOC: 35 tracks, 16 sectors, 256 bytes per sector.
constexpr std::array<uint8_t, 4> dos33Geometry{35, 16, 0x00, 0x01};

}  // namespace

std::optional<DOS33Disk> DOS33Disk::fromImageData(const ImageBytes& imageData) {
    const auto size = static_cast<int64_t>(imageData.size());
    if (size < vtocOffset + DOS33VTOC::encodedSize) return std::nullopt;
    const ImageBytes geometry = imageData.slice(vtocOffset + 0x34, static_cast<int64_t>(dos33Geometry.size()));
    if (!std::equal(geometry.begin(), geometry.end(), dos33Geometry.begin())) return std::nullopt;
    return DOS33Disk(imageData);
}

DOS33Disk::DOS33Disk(ImageBytes block) : contents_(std::move(block)) {
    const auto vtocBytes = sector(vtocTrack, vtocSector);
    if (!vtocBytes) return;
    vtoc_ = DOS33VTOC(*vtocBytes);
    // A .po image passes for a DOS-ordered one as far as the VTOC goes; read
    // in the wrong order, its catalog chain soon leaves the catalog.
    proDOSOrder_ = catalogChainLength(true) > catalogChainLength(false);
    readCatalog();
}

ImageBytes DOS33Disk::dos33AsData() {
    static const ImageBytes blank = [] {
        Bytes bytes(static_cast<size_t>(diskSizeInBytes), 0);
        std::copy(DOS33BlankDisk::bootImage.begin(), DOS33BlankDisk::bootImage.end(), bytes.begin());
        std::copy(DOS33BlankDisk::vtocAndCatalog.begin(), DOS33BlankDisk::vtocAndCatalog.end(),
                  bytes.begin() + vtocOffset);
        return ImageBytes(std::move(bytes));
    }();
    return blank;
}

std::optional<int64_t> DOS33Disk::sectorOffset(int64_t track, int64_t sector, bool proDOSOrder) const {
    if (track < 0 || sector < 0) return std::nullopt;
    const int64_t linear = checked::add(checked::mul(track, sectorsPerTrack), sector);
    int64_t offset = linear * sectorSize;
    if (proDOSOrder) {
        offset = linear / sectorsPerTrack * trackSize +
                 proDOSHalves[static_cast<size_t>(linear % sectorsPerTrack)] * sectorSize;
    }
    if (!checked::rangeFits(offset, sectorSize, static_cast<int64_t>(contents_.size()))) return std::nullopt;
    return offset;
}

std::optional<ImageBytes> DOS33Disk::sector(int64_t track, int64_t sector) const {
    const auto offset = sectorOffset(track, sector, proDOSOrder_);
    if (!offset) return std::nullopt;
    return contents_.slice(*offset, sectorSize);
}

int64_t DOS33Disk::catalogChainLength(bool proDOSOrder) const {
    std::vector<bool> visited(static_cast<size_t>(addressableSectors), false);
    int64_t length = 0;
    int64_t track = vtoc_->trackNumberFirstCatalog;
    int64_t sector = vtoc_->sectorNumberFirstCatalog;
    while (track != 0 || sector != 0) {
        const auto offset = sectorOffset(track, sector, proDOSOrder);
        if (!offset || visited[static_cast<size_t>(linearSector(track, sector))]) break;
        visited[static_cast<size_t>(linearSector(track, sector))] = true;
        ++length;
        track = contents_[static_cast<size_t>(*offset + 1)];
        sector = contents_[static_cast<size_t>(*offset + 2)];
    }
    return length;
}

void DOS33Disk::readCatalog() {
    for (int64_t track = 0; track < systemTracks; ++track) {
        for (int64_t sector = 0; sector < sectorsPerTrack; ++sector) {
            tsList_.push_back({track, sector, DOS33TSListEntry::Usage::system, systemOwner});
        }
    }
    tsList_.push_back({vtocTrack, vtocSector, DOS33TSListEntry::Usage::catalog, catalogOwner});

    // A chain that comes back to a sector it has read, or points outside the
    // image, ends there: a damaged catalog must not loop.
    std::vector<bool> visited(static_cast<size_t>(addressableSectors), false);
    int64_t listReadsLeft = maximumTrackSectorListReads;
    int64_t nextOwner = firstFileOwner;
    int64_t track = vtoc_->trackNumberFirstCatalog;
    int64_t sector = vtoc_->sectorNumberFirstCatalog;
    // (0, 0) ends the chain; (0, 5) does not, as DOS itself reads it.
    while (track != 0 || sector != 0) {
        const auto bytes = this->sector(track, sector);
        if (!bytes || visited[static_cast<size_t>(linearSector(track, sector))]) break;
        visited[static_cast<size_t>(linearSector(track, sector))] = true;
        const DOS33CatalogSector catalogSector(*bytes);
        tsList_.push_back({track, sector, DOS33TSListEntry::Usage::catalog, catalogOwner});
        for (const DOS33FileDescriptiveEntry& read : catalogSector.catalogEntries) {
            if (read.isDeleted) continue;
            auto entry = std::make_shared<DOS33FileDescriptiveEntry>(read);
            entry->uuid = nextOwner++;
            readTrackSectorLists(*entry, listReadsLeft);
            catalog_.push_back(std::move(entry));
        }
        track = catalogSector.nextCatalogTrack;
        sector = catalogSector.nextCatalogSector;
    }
}

void DOS33Disk::readTrackSectorLists(const DOS33FileDescriptiveEntry& entry, int64_t& listReadsLeft) {
    constexpr int64_t pairsOffset = 0x0C;
    constexpr int64_t pairsPerList = 122;
    std::unordered_set<int64_t> visited;
    const size_t first = tsList_.size();
    int64_t track = entry.trackOfFirstTSList;
    int64_t sector = entry.sectorOfFirstTSList;
    // A next track of 0 ends the chain, whatever the sector.
    while (track != 0 && listReadsLeft > 0) {
        const auto bytes = this->sector(track, sector);
        if (!bytes || !visited.insert(linearSector(track, sector)).second) break;
        --listReadsLeft;
        for (int64_t pair = 0; pair < pairsPerList; ++pair) {
            const auto at = static_cast<size_t>(pairsOffset + pair * 2);
            const int64_t dataTrack = (*bytes)[at];
            const int64_t dataSector = (*bytes)[at + 1];
            if (dataTrack == 0 && dataSector == 0) continue;  // an empty slot
            tsList_.push_back({dataTrack, dataSector, DOS33TSListEntry::Usage::user, entry.uuid});
        }
        track = (*bytes)[1];
        sector = (*bytes)[2];
    }
    // A file's sectors are one run of the map: sectorsFor finds them without
    // a search of the whole map for each file.
    fileSectors_[entry.uuid] = {first, tsList_.size()};
}

}  // namespace zorv

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/atari_st/TOSBlockable.hpp"
#include "disk_image/formats/atari_st/TOSMedia.hpp"

namespace zorv {

// One copy of a FAT12 file allocation table: 12-bit entries, two to three
// bytes, one per cluster. Data clusters are numbered 2 to clusterCount + 1;
// entries 0 and 1 are reserved (the media byte and 0xFFF).
struct TOSFAT : TOSBlockable<TOSFAT> {
    // From this many clusters on a table holds 16-bit entries: not FAT12.
    static constexpr int64_t fat12ClusterLimit = 4087;
    // Entries from 2 to this value name the next cluster of a chain.
    static constexpr int64_t lastChainedCluster = 0xFEF;

    ImageBytes allocationArray;
    // The number of data clusters of the volume.
    int64_t clusterCount = 0;

    TOSFAT(ImageBytes data, int64_t clusterCount) : allocationArray(std::move(data)), clusterCount(clusterCount) {}
    // The table of a blank floppy: the media byte, 0xFF 0xFF, then zeros up
    // to one FAT copy of the medium. Its cluster count is 0.
    explicit TOSFAT(TOSMedia media);

    // Whether the table holds the entries of every data cluster (entries 0
    // to clusterCount + 1).
    bool holdsEveryCluster() const;

    // The 12-bit entry of cluster n; nothing when the table does not reach it.
    std::optional<int64_t> entry(int64_t cluster) const;

    // The clusters of the chain that starts at `first`, in order. Only data
    // clusters (2 to clusterCount + 1) are followed: a start outside them is
    // an empty chain, and an entry naming a cluster outside them (or a
    // value above 0xFEF, the end marks among them) ends it. The chain also
    // ends at a cluster it has already passed, so a loop stops.
    std::vector<int64_t> clusterListStarting(int64_t first) const;

    // The free data clusters: entries 2 to clusterCount + 1 that are 0.
    int64_t freeClusterCount() const;

    std::vector<Bytes> dataBlockArray() const { return {allocationArray.toBytes()}; }

private:
    bool isDataCluster(int64_t cluster) const { return cluster >= 2 && cluster <= clusterCount + 1; }
};

}  // namespace zorv

#include "disk_image/formats/atari_st/tos/TOSFAT.hpp"

namespace zorv {

TOSFAT::TOSFAT(TOSMedia media) {
    const TOSMediaLayout layout = TOSMediaLayout::of(media);
    Bytes table(static_cast<size_t>(layout.fatSizeInBytes), 0);
    table[0] = layout.mediaByte;
    table[1] = 0xFF;
    table[2] = 0xFF;
    allocationArray = ImageBytes(std::move(table));
}

bool TOSFAT::holdsEveryCluster() const { return clusterCount >= 0 && entry(clusterCount + 1).has_value(); }

std::optional<int64_t> TOSFAT::entry(int64_t cluster) const {
    if (cluster < 0 || cluster >= fat12ClusterLimit + 2) return std::nullopt;
    const auto at = static_cast<size_t>(cluster * 3 / 2);
    if (at + 1 >= allocationArray.size()) return std::nullopt;
    if (cluster % 2 == 0) return allocationArray[at] | (allocationArray[at + 1] & 0x0F) << 8;
    return allocationArray[at] >> 4 | allocationArray[at + 1] << 4;
}

std::vector<int64_t> TOSFAT::clusterListStarting(int64_t first) const {
    std::vector<int64_t> chain;
    if (!isDataCluster(first)) return chain;
    // No table entry lies beyond the FAT12 limit, so no chain does either.
    std::vector<bool> passed(static_cast<size_t>(fat12ClusterLimit + 2), false);
    int64_t cluster = first;
    while (isDataCluster(cluster)) {
        const std::optional<int64_t> next = entry(cluster);
        if (!next) {
            // A table too short to say where the chain goes.
            chain.push_back(cluster);
            break;
        }
        if (passed[static_cast<size_t>(cluster)]) break;
        passed[static_cast<size_t>(cluster)] = true;
        chain.push_back(cluster);
        if (*next < 2 || *next > lastChainedCluster) break;
        cluster = *next;
    }
    return chain;
}

int64_t TOSFAT::freeClusterCount() const {
    int64_t free = 0;
    for (int64_t cluster = 2; cluster <= clusterCount + 1 && cluster < fat12ClusterLimit + 2; ++cluster) {
        if (entry(cluster) == 0) ++free;
    }
    return free;
}

}  // namespace zorv

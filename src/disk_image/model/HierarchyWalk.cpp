#include "disk_image/model/HierarchyWalk.hpp"

#include "disk_image/model/VolumeRepresentable.hpp"
#include "platform/SteadyTimeZone.hpp"

namespace zorv {

HierarchyWalk::HierarchyWalk(const VolumeRepresentable& volume, Visitor visit)
    : volume_(volume), visit_(std::move(visit)) {}

void HierarchyWalk::run(const VolumeItem& folder) {
    // A walk converts the dates of every item in one go.
    const SteadyTimeZone steadyZone;
    enter(folder);
    open(folder, 0);
    while (!open_.empty()) {
        OpenFolder& current = open_.back();
        if (current.next >= current.count) {
            open_.pop_back();
            continue;
        }
        const VolumeItem item = volume_.child(current.next++, current.item);
        const int64_t level = current.level;
        const bool wantsOpening = visit_(item, level);
        if (!item) {
            open_.pop_back();
            continue;
        }
        if (wantsOpening && enter(item)) open(item, level + 1);  // `current` is not used after this
    }
}

void HierarchyWalk::open(const VolumeItem& folder, int64_t childLevel) {
    open_.push_back({folder, volume_.numberOfChildrenOfItem(folder), 0, childLevel});
}

bool HierarchyWalk::enter(const VolumeItem& folder) {
    if (const auto key = volume_.folderKey(folder)) return keys_.insert(*key).second;
    if (!folder || !objects_.insert(folder.get()).second) return false;
    // Kept so that no other folder can later take this one's address.
    opened_.push_back(folder);
    return true;
}

}  // namespace zorv

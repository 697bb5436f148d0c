#pragma once

#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

class VolumeRepresentable;

// The depth-first walk over the items below a folder of a volume, shared by
// the file hierarchy and the export. It keeps an explicit stack of the
// folders being listed (a sound volume can nest deeper than a call stack
// would allow) and opens each folder once: the keys its volume looks
// children up by (folderKey) are remembered, and the objects of folders
// without a key. So a damaged volume whose folders lead back to an ancestor
// or share their children is walked in time linear in what it holds.
class HierarchyWalk {
public:
    // Called with each child in turn and its level (0: the children of the
    // folder the walk starts from); answers whether to open the child as a
    // folder. A null child means that a folder handed out fewer children
    // than it counted: the walk leaves that folder after the call, since the
    // count cannot be trusted further.
    using Visitor = std::function<bool(const VolumeItem& item, int64_t level)>;

    HierarchyWalk(const VolumeRepresentable& volume, Visitor visit);

    // Walks the children of `folder` (null: the root), each before its own
    // children, in index order. A child the visitor wants opened is opened
    // unless its folder was opened before in this walk, the start included.
    void run(const VolumeItem& folder);

private:
    struct OpenFolder {
        VolumeItem item;  // null: the root
        int64_t count;
        int64_t next;
        int64_t level;  // of its children
    };

    void open(const VolumeItem& folder, int64_t childLevel);
    // Whether the folder is met for the first time in this walk.
    bool enter(const VolumeItem& folder);

    const VolumeRepresentable& volume_;
    Visitor visit_;
    std::vector<OpenFolder> open_;
    std::unordered_set<uint64_t> keys_;
    // Folders without a key, by object; each is kept alive in opened_, so
    // that no other item can take its address during the walk.
    std::unordered_set<const VolumeItemRepresentable*> objects_;
    std::vector<VolumeItem> opened_;
};

}  // namespace zorv

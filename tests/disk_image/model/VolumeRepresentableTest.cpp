#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/model/ImageRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {
namespace {

using testing::FakeItem;
using testing::FakeVolume;

// "name@level" for each element, in walk order.
std::vector<std::string> walk(const VolumeRepresentable& volume) {
    std::vector<std::string> lines;
    for (const auto& element : volume.fileHierarchy()) {
        lines.push_back(element.item->name() + "@" + std::to_string(element.level));
    }
    return lines;
}

FakeItem folderWithId(std::string name, uint64_t id) {
    FakeItem folder(std::move(name), true);
    folder.identifier = id;
    return folder;
}

struct NotAVolume {};
static_assert(ImageRepresentable<FakeVolume>);
static_assert(!ImageRepresentable<NotAVolume>);

TEST(VolumeDefaults, AnswersOfAFormatThatKeepsNothing) {
    FakeVolume volume;
    EXPECT_EQ(volume.helpfulDescription(), "");
    EXPECT_FALSE(volume.hasForks());
    EXPECT_EQ(volume.physicalDisk(), nullptr);
    struct Wrapper : ImageWrapperRepresentable {
        std::string descriptiveName() const override { return "Disk Copy"; }
        std::string helpfulDescription() const override { return ""; }
    };
    volume.setWrapper(std::make_shared<Wrapper>());
    EXPECT_EQ(volume.wrapper(), nullptr) << "a volume without storage for it drops the wrapper";
}

TEST(FileHierarchy, DepthFirstWithLevels) {
    FakeVolume volume;
    EXPECT_TRUE(volume.fileHierarchy().empty());

    volume.add(nullptr, FakeItem("A"));
    const auto b = volume.add(nullptr, FakeItem("B", true));
    volume.add(b, FakeItem("C"));
    const auto d = volume.add(b, FakeItem("D", true));
    volume.add(d, FakeItem("E"));
    volume.add(b, FakeItem("F"));
    volume.add(nullptr, FakeItem("Empty", true));
    volume.add(nullptr, FakeItem("G"));
    EXPECT_EQ(walk(volume),
              (std::vector<std::string>{"A@0", "B@0", "C@1", "D@1", "E@2", "F@1", "Empty@0", "G@0"}));
}

TEST(FileHierarchy, AsksOnlyFolders) {
    FakeVolume volume;
    const auto file = volume.add(nullptr, FakeItem("file"));
    volume.add(nullptr, FakeItem("last"));
    volume.add(file, FakeItem("inside a file"));  // never asked for: files have no children
    volume.recordCounts = true;
    EXPECT_EQ(walk(volume), (std::vector<std::string>{"file@0", "last@0"}));
    EXPECT_EQ(volume.countedItems, std::vector<std::string>{"<root>"});
}

TEST(FileHierarchy, FolderEndsAtItsFirstMissingChild) {
    FakeVolume volume;
    const auto folder = volume.add(nullptr, FakeItem("folder", true));
    volume.add(folder, FakeItem("a"));
    volume.childrenOf[folder.get()].push_back(nullptr);  // counted, but not handed out
    volume.add(folder, FakeItem("b"));
    volume.add(nullptr, FakeItem("after"));
    EXPECT_EQ(walk(volume), (std::vector<std::string>{"folder@0", "a@1", "after@0"}));

    // A root that claims more children than it has.
    class Boastful : public FakeVolume {
    public:
        mutable int64_t asked = 0;
        int64_t numberOfChildrenOfItem(const VolumeItem&) const override { return int64_t{1} << 40; }
        VolumeItem child(int64_t index, const VolumeItem&) const override {
            ++asked;
            return index < 2 ? std::make_shared<const FakeItem>("file") : nullptr;
        }
    } boastful;
    EXPECT_EQ(boastful.fileHierarchy().size(), 2u);
    EXPECT_EQ(boastful.asked, 3);

    // A negative count is no children.
    class Negative : public FakeVolume {
    public:
        int64_t numberOfChildrenOfItem(const VolumeItem&) const override { return -5; }
    } negative;
    EXPECT_TRUE(negative.fileHierarchy().empty());
}

TEST(FileHierarchy, FolderInsideItselfIsNotOpenedAgain) {
    FakeVolume volume;
    const auto loop = volume.add(nullptr, FakeItem("loop", true));
    volume.add(loop, FakeItem("x"));
    volume.link(loop, loop);
    volume.add(nullptr, FakeItem("after"));
    EXPECT_EQ(walk(volume), (std::vector<std::string>{"loop@0", "x@1", "loop@1", "after@0"}));
}

TEST(FileHierarchy, FolderMetAgainIsListedButNotOpened) {
    FakeVolume volume;
    const auto parent = volume.add(nullptr, FakeItem("parent", true));
    const auto child = volume.add(parent, FakeItem("child", true));
    volume.link(child, parent);
    // A folder met on two paths is opened on the first only.
    const auto shared = volume.add(nullptr, FakeItem("shared", true));
    volume.add(shared, FakeItem("s"));
    volume.link(child, shared);
    EXPECT_EQ(walk(volume),
              (std::vector<std::string>{"parent@0", "child@1", "parent@2", "shared@2", "s@3", "shared@0"}));
}

// A volume that makes new objects on every answer: only identifiers tell
// that two of them are the same folder. The root holds folder 1 and folder n
// holds folder n + 1, up to `deepest`; with `loop`, folder 3 holds folder 2.
class FreshObjectVolume : public FakeVolume {
public:
    bool loop = true;
    uint64_t deepest = 1000;

    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override { return id(item) < deepest ? 1 : 0; }
    VolumeItem child(int64_t, const VolumeItem& ofItem) const override {
        const uint64_t parent = id(ofItem);
        const uint64_t next = loop && parent == 3 ? 2 : parent + 1;
        return std::make_shared<const FakeItem>(folderWithId("f" + std::to_string(next), next));
    }
    static uint64_t id(const VolumeItem& item) {
        return item ? static_cast<const FakeItem&>(*item).identifier.value_or(0) : 0;
    }
};

TEST(FileHierarchy, LoopFoundByIdentifier) {
    FreshObjectVolume volume;
    EXPECT_EQ(walk(volume), (std::vector<std::string>{"f1@0", "f2@1", "f3@2", "f2@3"}));
}

TEST(FileHierarchy, SoundVolumesAreListedWhole) {
    FreshObjectVolume deep;
    deep.loop = false;
    deep.deepest = 300;
    const auto elements = deep.fileHierarchy();
    ASSERT_EQ(elements.size(), 300u) << "no depth limit";
    EXPECT_EQ(elements.back().level, 299);

    class Crowded : public FakeVolume {
    public:
        VolumeItem file = std::make_shared<const FakeItem>("file");
        int64_t numberOfChildrenOfItem(const VolumeItem& item) const override { return item ? 0 : 2100000; }
        VolumeItem child(int64_t, const VolumeItem&) const override { return file; }
    } crowded;
    EXPECT_EQ(crowded.fileHierarchy().size(), 2100000u) << "no limit on the number of items";
}

TEST(FileHierarchy, FoldersSharingAKeyAreOpenedOnce) {
    // Six folders, each listed sixteen times in the one above: 16^6 paths,
    // but each folder is opened once.
    class SharedFolders : public FakeVolume {
    public:
        std::vector<VolumeItem> folders;
        SharedFolders() {
            for (uint64_t depth = 0; depth < 6; ++depth) {
                folders.push_back(std::make_shared<const FakeItem>(folderWithId("d", depth + 1)));
            }
        }
        int64_t numberOfChildrenOfItem(const VolumeItem& item) const override {
            return !item || depth(item) + 1 < folders.size() ? 16 : 0;
        }
        VolumeItem child(int64_t, const VolumeItem& ofItem) const override {
            // A new object each time: the key, not the object, tells them apart.
            return std::make_shared<const FakeItem>(*static_cast<const FakeItem*>(
                    folders[ofItem ? depth(ofItem) + 1 : 0].get()));
        }
        static uint64_t depth(const VolumeItem& item) { return *static_cast<const FakeItem&>(*item).identifier - 1; }
    } shared;
    EXPECT_EQ(shared.fileHierarchy().size(), 6u * 16u);

    // The volume's folderKey() decides, and the root's key counts as opened.
    class KeyedByName : public FakeVolume {
    public:
        std::optional<uint64_t> folderKey(const VolumeItem& folder) const override {
            return folder ? folder->name().size() : 0;
        }
    } keyed;
    const auto first = keyed.add(nullptr, FakeItem("one", true));
    keyed.add(first, FakeItem("x"));
    keyed.add(nullptr, FakeItem("two", true));  // same key as "one"
    const auto root = keyed.add(first, FakeItem("", true));  // the root's key
    keyed.add(root, FakeItem("y"));
    EXPECT_EQ(walk(keyed), (std::vector<std::string>{"one@0", "x@1", "@1", "two@0"}));
}

TEST(VolumeTree, ParentsOutwardsThenTheVolume) {
    FakeVolume volume;
    const auto a = volume.add(nullptr, FakeItem("A"));
    const auto b = volume.add(nullptr, FakeItem("B", true));
    const auto c = volume.add(b, FakeItem("C"));
    const auto d = volume.add(c, FakeItem("D", true));
    EXPECT_EQ(volume.tree(c), (std::vector<std::string>{"B", "V - F"}));
    EXPECT_EQ(volume.tree(d), (std::vector<std::string>{"C", "B", "V - F"}));
    EXPECT_EQ(volume.tree(a), std::vector<std::string>{"V - F"});
    EXPECT_EQ(volume.tree(nullptr), std::vector<std::string>{"V - F"});
}

TEST(VolumeTree, StopsAtARepeatedParent) {
    FakeVolume volume;
    const auto a = volume.add(nullptr, FakeItem("A", true));
    const auto b = volume.add(a, FakeItem("B", true));
    const auto c = volume.add(b, FakeItem("C"));
    volume.parentOf[a.get()] = b;
    EXPECT_EQ(volume.tree(c), (std::vector<std::string>{"B", "A", "V - F"}));
    volume.parentOf[c.get()] = c;
    EXPECT_EQ(volume.tree(c), std::vector<std::string>{"V - F"}) << "an item that is its own parent";

    // A new object for each answer, and no key: as many parents as items.
    class EndlessParents : public FakeVolume {
    public:
        VolumeItem parentItem(const VolumeItem&) const override { return std::make_shared<const FakeItem>("up", true); }
    } endless;
    const auto folder = endless.add(nullptr, FakeItem("F", true));
    endless.add(folder, FakeItem("x"));
    endless.add(nullptr, FakeItem("y"));
    EXPECT_EQ(endless.tree(c), (std::vector<std::string>{"up", "up", "up", "V - F"}));
}

TEST(VolumeRangeOccupied, StopsAtTheFirstBlockInUse) {
    FakeVolume volume;
    volume.occupiedBlocks = {11};
    EXPECT_TRUE(volume.isRangeOccupied(10, 12));
    EXPECT_EQ(volume.askedBlocks, (std::vector<int64_t>{10, 11}));
    volume.askedBlocks.clear();
    EXPECT_FALSE(volume.isRangeOccupied(5, 5));
    EXPECT_EQ(volume.askedBlocks, std::vector<int64_t>{5});
    volume.askedBlocks.clear();
    EXPECT_FALSE(volume.isRangeOccupied(6, 5));
    EXPECT_TRUE(volume.askedBlocks.empty());
    constexpr int64_t last = std::numeric_limits<int64_t>::max();
    EXPECT_FALSE(volume.isRangeOccupied(last - 1, last));
    EXPECT_EQ(volume.askedBlocks, (std::vector<int64_t>{last - 1, last}));
}

TEST(VolumeCodable, FilledFromTheVolume) {
    FakeVolume volume;
    volume.name = "Macintosh HD";
    volume.bootable = true;
    volume.modified = Date{885222245};
    const auto folder = volume.add(nullptr, FakeItem("System Folder", true));
    volume.add(folder, FakeItem("Finder"));

    const CodableVolume brief = volume.codable(false);
    EXPECT_EQ(brief, (CodableVolume{"Macintosh HD", true, 819200, 1024, std::nullopt, "1998-01-19T15:04:05Z",
                                    std::nullopt}));

    const CodableVolume verbose = volume.codable(true);
    ASSERT_TRUE(verbose.fileHierarchy.has_value());
    ASSERT_EQ(verbose.fileHierarchy->size(), 2u);
    EXPECT_EQ((*verbose.fileHierarchy)[0], folder->generateCodableAtLevel(0));
    EXPECT_EQ((*verbose.fileHierarchy)[1].name, "Finder");
    EXPECT_EQ((*verbose.fileHierarchy)[1].level, 1);

    FakeVolume empty;
    EXPECT_EQ(empty.codable(true).fileHierarchy, std::vector<CodableVolumeItem>{})
        << "an empty root gives an empty list, not none";
}

}  // namespace
}  // namespace zorv

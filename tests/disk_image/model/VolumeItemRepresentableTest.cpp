#include <gtest/gtest.h>

#include <limits>

#include "disk_image/model/ISO8601DateFormatter.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"
#include "disk_image/model/FakeVolume.hpp"

namespace zorv {
namespace {

using testing::FakeItem;
using testing::code;

FakeItem file(std::string name, std::optional<const char*> type) {
    FakeItem item(std::move(name));
    if (type) item.typeCode = code(*type);
    return item;
}

TEST(VolumeItemDefaults, InvisibleOnlyWithTheInvisibleFlag) {
    FakeItem item("x");
    EXPECT_FALSE(item.isInvisible()) << "a format without Finder flags is never invisible";
    item.finderFlags = std::vector<FinderFlag>{};
    EXPECT_FALSE(item.isInvisible());
    item.finderFlags = std::vector<FinderFlag>{FinderFlag::kHasBundle, FinderFlag::kIsOnDesk};
    EXPECT_FALSE(item.isInvisible());
    item.finderFlags = std::vector<FinderFlag>{FinderFlag::kHasBundle, FinderFlag::kIsInvisible, FinderFlag::kIsAlias};
    EXPECT_TRUE(item.isInvisible());
}

TEST(VolumeItemDefaults, FileExtensionFromTypeUnlessTheNameHasAThreeCharacterOne) {
    EXPECT_EQ(file("Read Me", "TEXT").fileExtension(), ".txt");
    EXPECT_EQ(file("notes.txt", "TEXT").fileExtension(), "");
    EXPECT_EQ(file("notes.txt", "JPEG").fileExtension(), "") << "only the length of the extension counts";
    EXPECT_EQ(file("photo.jpeg", "JPEG").fileExtension(), ".jpg");
    EXPECT_EQ(file("a.b", "TEXT").fileExtension(), ".txt");
    EXPECT_EQ(file("a.bc", "TEXT").fileExtension(), ".txt");
    EXPECT_EQ(file("a.bcdef", "TEXT").fileExtension(), ".txt");
    EXPECT_EQ(file("Picture.", "PICT").fileExtension(), ".pct") << "an empty extension";
    EXPECT_EQ(file("Read Me", "ZZZZ").fileExtension(), "") << "a type without an extension";
    EXPECT_EQ(file("Read Me", std::nullopt).fileExtension(), "");
    EXPECT_EQ(file("notes.txt", std::nullopt).fileExtension(), "");
}

TEST(VolumeItemDefaults, FileExtensionReadsTheNameAsAPath) {
    // Only the last component counts, and a leading full stop does not start an extension.
    EXPECT_EQ(file("dir.abc/Read Me", "TEXT").fileExtension(), ".txt");
    EXPECT_EQ(file("Read Me/notes.txt/", "JPEG").fileExtension(), "");
    EXPECT_EQ(file(".abc", "TEXT").fileExtension(), ".txt");
    // Characters as the user sees them: "é" written with a combining accent is one.
    EXPECT_EQ(file("r\xC3\xA9sum\xC3\xA9.d\xC3\xA9j", "TEXT").fileExtension(), "");
    EXPECT_EQ(file("file.de\xCC\x81j", "TEXT").fileExtension(), "");
    EXPECT_EQ(file("file.\xE2\x84\xA2", "TEXT").fileExtension(), ".txt") << "one character, three bytes";
}

TEST(VolumeItemDefaults, OtherDefaults) {
    FakeItem item("x");
    EXPECT_EQ(item.otherInfo(), std::nullopt);
    EXPECT_EQ(VolumeItemRepresentable::imageItemFolderName, "Extracted by Tambrel");
    struct Plain : FakeItem {
        std::optional<uint64_t> itemIdentifier() const override { return VolumeItemRepresentable::itemIdentifier(); }
    };
    EXPECT_EQ(Plain().itemIdentifier(), std::nullopt);
}

TEST(VolumeItemDefaults, SameItemByObjectOrIdentifier) {
    auto a = std::make_shared<const FakeItem>("a");
    auto alsoA = std::make_shared<const FakeItem>("a");
    EXPECT_TRUE(isSameVolumeItem(nullptr, nullptr));
    EXPECT_TRUE(isSameVolumeItem(a, a));
    EXPECT_FALSE(isSameVolumeItem(a, alsoA)) << "without identifiers, equal answers are not enough";
    EXPECT_FALSE(isSameVolumeItem(a, nullptr));

    FakeItem withId("a");
    withId.identifier = 16;
    FakeItem sameId("renamed");
    sameId.identifier = 16;
    FakeItem otherId("a");
    otherId.identifier = 17;
    const VolumeItem first = std::make_shared<const FakeItem>(withId);
    EXPECT_TRUE(isSameVolumeItem(first, std::make_shared<const FakeItem>(sameId)));
    EXPECT_FALSE(isSameVolumeItem(first, std::make_shared<const FakeItem>(otherId)));
    EXPECT_FALSE(isSameVolumeItem(first, a));
}

TEST(VolumeItemCodable, FilledFromTheItem) {
    FakeItem item("Read Me");
    item.logicalSize = 1234;
    item.physicalSize = 2048;
    item.created = Date{885222245};
    item.modified = Date{0};
    item.typeCode = code("TEXT");
    item.creatorCode = code("ttxt");
    item.finderFlags = std::vector<FinderFlag>{FinderFlag::kIsInvisible};

    const CodableVolumeItem expected{"Read Me", 1234, "1998-01-19T15:04:05Z", "1970-01-01T00:00:00Z", false,
                                     "TEXT",    "ttxt", true,  ".txt", 3};
    EXPECT_EQ(item.generateCodableAtLevel(3), expected);
}

TEST(VolumeItemCodable, AbsentValues) {
    FakeItem folder("Stuff", true);
    const CodableVolumeItem record = folder.generateCodableAtLevel(0);
    EXPECT_EQ(record.sizeInBytes, 0);
    EXPECT_EQ(record.creationDate, std::nullopt);
    EXPECT_EQ(record.modificationDate, std::nullopt);
    EXPECT_EQ(record.type, std::nullopt);
    EXPECT_EQ(record.creator, std::nullopt);
    EXPECT_TRUE(record.isFolder);
    EXPECT_FALSE(record.isInvisible);
    EXPECT_EQ(record.fileExtension, "");
    EXPECT_EQ(record.level, 0);
}

TEST(ISO8601DateFormatter, UTCWithSecondsAndZ) {
    EXPECT_EQ(ISO8601DateFormatter::string(Date{0}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(ISO8601DateFormatter::string(Date{-1}), "1969-12-31T23:59:59Z");
    EXPECT_EQ(ISO8601DateFormatter::string(Date{-2082844800}), "1904-01-01T00:00:00Z");
    EXPECT_EQ(ISO8601DateFormatter::string(Date{951868799}), "2000-02-29T23:59:59Z");
    EXPECT_EQ(ISO8601DateFormatter::string(std::optional<Date>()), std::nullopt);
    // Dates no disk holds still format.
    EXPECT_EQ(ISO8601DateFormatter::string(Date{std::numeric_limits<int64_t>::max()}),
              "292277026596-12-04T15:30:07Z");
    EXPECT_EQ(ISO8601DateFormatter::string(Date{std::numeric_limits<int64_t>::min()}),
              "-292277022657-01-27T08:29:52Z");
}

}  // namespace
}  // namespace zorv

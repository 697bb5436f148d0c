#include <gtest/gtest.h>

#include "disk_image/vocabulary/macintosh/types_and_creators/CreatorList.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeExtensionList.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"

namespace zorv {
namespace {

TEST(TypeTables, SizesAndLookups) {
    EXPECT_EQ(TypeList::shared().list.size(), 117u);
    EXPECT_EQ(CreatorList::shared().list.size(), 73u);
    EXPECT_EQ(TypeExtensionList::shared().list.size(), 77u);

    EXPECT_EQ(TypeList::extensionForType("TEXT"), "txt");
    EXPECT_EQ(TypeList::extensionForType("PDF "), "pdf");
    EXPECT_EQ(TypeList::extensionForType("PDF"), std::nullopt);
    EXPECT_EQ(TypeList::extensionForType("APPL"), std::nullopt) << "a type without an extension";
    EXPECT_EQ(TypeList::extensionForType(std::nullopt), std::nullopt);
    EXPECT_EQ(TypeList::extensionForType("MooV"), "mpv");
    EXPECT_EQ(TypeList::extensionForType("FFIL"), "FFIL");

    EXPECT_EQ(TypeList::shared().list.at("Mp3 "), "MP3");
    EXPECT_EQ(TypeList::shared().list.at("MP3 "), "MP3");
    EXPECT_EQ(CreatorList::shared().list.at("ttxt"), "SimpleText");
    EXPECT_EQ(CreatorList::shared().list.count("TTXT"), 0u);
    EXPECT_EQ(CreatorList::shared().list.at("????"), "Any creator");
}

TEST(TypeTables, EveryExtensionIsFoundByItsCodeWhateverItsLength) {
    for (const auto& [code, extension] : TypeExtensionList::shared().list) {
        EXPECT_EQ(TypeList::extensionOf(code), &extension) << code;
    }
    EXPECT_EQ(TypeList::extensionOf("TEXU"), nullptr);
    EXPECT_EQ(TypeList::extensionOf("TEXTS"), nullptr);
    EXPECT_EQ(TypeList::extensionOf(""), nullptr);
}

}  // namespace
}  // namespace zorv

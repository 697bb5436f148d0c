// The real Amiga floppies of the shared corpus (../shared/corpus/adf), read
// against Debian's unadf: the same items with the same sizes and dates as
// `unadf -lr` lists, and the same bytes as `unadf -r` extracts. Each test
// skips when its image or unadf is absent.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "support/AmigaTestImages.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

struct CorpusCase {
    const char* file;
    const char* volumeName;
    const char* formatName;
    // The boot block's root pointer is 0: the top level is the root entry, a
    // folder with an empty name, one level above what unadf lists.
    bool rootEntryAtTop;
};

std::ostream& operator<<(std::ostream& out, const CorpusCase& c) { return out << c.file; }

// A listed item: its size ("" for a folder) and date as unadf prints them.
struct ListedItem {
    std::string size;
    std::string date;
};

// The items of `unadf -lr` by path as unadf prints it (raw ISO Latin-1, a
// trailing "/" for folders, ", comment" after the name when there is one).
std::vector<std::pair<std::string, ListedItem>> unadfListing(const std::string& image) {
    const auto result = testing::runCommand({"unadf", "-lr", image});
    std::vector<std::pair<std::string, ListedItem>> items;
    static const std::regex line(R"(^ *(\d*)  (\d{4}/\d\d/\d\d) +(\d+:\d\d:\d\d)  (.*)$)");
    std::istringstream lines(result.output);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (std::regex_match(text, match, line)) {
            items.emplace_back(match[4], ListedItem{match[1], match[2].str() + " " + match[3].str()});
        }
    }
    return items;
}

std::string latin1(const std::string& utf8) {
    const auto bytes = encodeText(utf8, TextEncoding::isoLatin1);
    return bytes ? std::string(bytes->begin(), bytes->end()) : utf8;
}

std::string unadfDate(Date date) {
    const auto seconds = static_cast<std::time_t>(date.secondsSince1970);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %d:%02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                  utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

// The volume's items by path in ISO Latin-1, as unadf names them: without
// the root entry when the volume shows it at its top.
std::vector<std::pair<std::string, VolumeItem>> listedPaths(const ADFDisk& volume, bool rootEntryAtTop) {
    std::vector<std::pair<std::string, VolumeItem>> items;
    for (auto [path, item] : testing::itemsByPath(volume)) {
        if (rootEntryAtTop) {
            if (path.empty()) continue;  // the root entry itself
            path = path.substr(1);      // its empty name and the slash after it
        }
        items.emplace_back(latin1(path), item);
    }
    return items;
}

class ADFCorpus : public ::testing::TestWithParam<CorpusCase> {
protected:
    void SetUp() override {
        const auto found = testing::corpusFile(GetParam().file);
        if (!found) GTEST_SKIP() << GetParam().file << " is not in the corpus";
        path_ = found->string();
        const auto opened = ADFDisk::fromImageData(*testing::corpusImage(GetParam().file));
        ASSERT_TRUE(opened.has_value()) << GetParam().file << " does not open";
        volume_.emplace(*opened);
    }

    std::string path_;
    std::optional<ADFDisk> volume_;
};

TEST_P(ADFCorpus, NameFormatAndTopLevel) {
    const CorpusCase& c = GetParam();
    EXPECT_EQ(volume_->volumeName(), c.volumeName);
    EXPECT_EQ(volume_->volumeFormatName(), c.formatName);
    const VolumeItem first = volume_->child(0, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(volume_->numberOfChildrenOfItem(nullptr) == 1 && first->name().empty() && first->isFolder(),
              c.rootEntryAtTop);
}

TEST_P(ADFCorpus, ItemsSizesDatesAndBytesMatchUnadf) {
    if (!testing::isCommandAvailable("unadf")) GTEST_SKIP() << "unadf is not installed";
    const testing::ScopedTimeZone zone("UTC");  // unadf's dates are the stored fields, in no zone
    const auto listing = unadfListing(path_);
    const testing::TemporaryDirectory folder;
    // unadf -r extracts into the current folder.
    const auto extracted =
        testing::runCommand({"sh", "-c", "cd \"$0\" && unadf -r \"$1\"", folder.path().string(), path_});
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.output;
    const auto items = listedPaths(*volume_, GetParam().rootEntryAtTop);
    EXPECT_EQ(items.size(), listing.size());
    for (const auto& [path, item] : items) {
        const std::string name = item->isFolder() ? path + "/" : path;
        const auto found = std::find_if(listing.begin(), listing.end(), [&](const auto& listed) {
            return listed.first == name || listed.first.starts_with(name + ", ");
        });
        if (found == listing.end()) {
            ADD_FAILURE() << "not listed by unadf: " << name;
            continue;
        }
        EXPECT_EQ(found->second.size, item->isFolder() ? "" : std::to_string(*item->logicalSizeInBytes())) << name;
        EXPECT_EQ(found->second.date, unadfDate(*item->modificationDate())) << name;
        if (item->isFolder()) continue;
        std::ifstream file(folder.path() / path, std::ios::binary);
        const Bytes expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const auto fork = volume_->getFork(ForkType::data, item);
        ASSERT_TRUE(fork.has_value()) << path;
        EXPECT_TRUE(*fork == expected) << path << ": " << fork->size() << " bytes read, " << expected.size()
                                       << " extracted";
    }
}

// Free space is what the bitmap marks free: 436 blocks, as adfinfo lists it
// (adf/oracles/arccsh.adf.adfinfo-volume.txt).
TEST(ADFCorpusFreeSpace, TheBitmapsFreeBlocks) {
    const auto image = testing::corpusImage("adf/arccsh.adf");
    if (!image) GTEST_SKIP() << "arccsh.adf is not in the corpus";
    EXPECT_EQ(ADFDisk{*image}.freeCapacityInBytes(), 436 * 512);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ADFCorpus,
    ::testing::Values(CorpusCase{"adf/arccsh.adf", "cshell", "Amiga Floppy (OFS)", false},
                      CorpusCase{"adf/blank.adf", "toto", "Amiga Floppy (OFS)", false},
                      CorpusCase{"adf/links.adf", "links", "Amiga Floppy (FFS)", true},
                      CorpusCase{"adf/test_link_chains.adf", "link_chains", "Amiga Floppy (FFS)", true},
                      CorpusCase{"adf/testffs.adf", "ffs_cache", "Amiga Floppy (FFS)", true},
                      CorpusCase{"adf/testhd.adf", "hd_ffs_intl_dircache", "Amiga Floppy (FFS)", true},
                      CorpusCase{"adf/testofs.adf", "testofs", "Amiga Floppy (OFS)", true},
                      CorpusCase{"adf/win32-names.adf", "win32-names", "Amiga Floppy (FFS)", true}),
    testing::namedBy(&CorpusCase::file));

}  // namespace
}  // namespace zorv

// Damaged catalogs and extents files: truncated and randomly changed copies of
// real and built B-tree files. Reading them must end and throw nothing but the
// project's own errors; the ASan build (make test-asan) checks that no read
// leaves the bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtentsOverflowFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"
#include "platform/FileSystem.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/HfsBTreeFiles.hpp"
#include "support/HfsCatalogRecordBytes.hpp"
#include "support/HfsSampleVolumes.hpp"
#include "support/HfsTool.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::hfsCatalogRecord;
using testing::hfsFileData;
using testing::hfsFolderData;
using testing::hfsThreadData;

constexpr int kIterations = 400;

struct Sample {
    std::string name;
    Bytes bytes;
};

// A catalog built here, so that the test has work to do without hfsutils or
// the corpus: three leaves under an index node, every record type.
Bytes builtCatalog() {
    testing::BTreeFileBuilder builder;
    builder.treeDepth = 2;
    builder.addLeafChain({
        {hfsCatalogRecord(1, "Disk", hfsFolderData(2, 3)), hfsCatalogRecord(2, "", hfsThreadData(3, 1, "Disk")),
         hfsCatalogRecord(2, "Docs", hfsFolderData(16, 1))},
        {hfsCatalogRecord(2, "Read Me", hfsFileData(17, "TEXT", "ttxt", 600, 10)),
         hfsCatalogRecord(2, "b", hfsFileData(18, "APPL", "MyAp")),
         hfsCatalogRecord(16, "", hfsThreadData(3, 2, "Docs"))},
        {hfsCatalogRecord(16, "Note", hfsFileData(19, "TEXT", "ttxt")),
         hfsCatalogRecord(19, "", hfsThreadData(4, 16, "Note"))},
    });
    builder.rootNode = builder.addNode(testing::BTreeFileBuilder::node(
        512, testing::BTreeFileBuilder::indexKind, 0,
        {testing::BTreeFileBuilder::keyedRecord(testing::hfsCatalogKey(1, "Disk"), {0, 0, 0, 1})}));
    return builder.build();
}

// The B-tree files to damage: the built catalog, those of volumes hfsutils
// makes, and those of the corpus volumes that are present.
std::vector<Sample> samples() {
    std::vector<Sample> result{{"built catalog", builtCatalog()}};
    const auto add = [&](const std::string& name, const ImageBytes& volume) {
        const auto files = testing::HfsBTreeFiles::cutFrom(volume);
        if (!files) return;
        result.push_back({name + " catalog", files->catalogFile.toBytes()});
        result.push_back({name + " extents", files->extentsFile.toBytes()});
    };
    if (testing::HfsTool::isAvailable()) {
        testing::HfsTool tool;
        const testing::TemporaryDirectory folder;
        add("hfsutils tree", testing::makeSampleTreeVolume(tool, folder.file("tree.img")));
        add("hfsutils fragments", testing::makeFragmentedVolume(tool, folder.file("fragments.img")));
    }
    for (const char* file : {"cp2-simple-gsos.po", "hr-importfl-1.2.2.dsk", "im-System_6.0.8_System_Startup.img"}) {
        if (const auto path = testing::corpusFile(std::string("hfs/") + file))
            add(file, fs::readWholeFile(path->string()));
    }
    return result;
}

class Damage {
public:
    explicit Damage(uint32_t seed) : random_(seed) {}

    int64_t below(int64_t bound) {
        return bound <= 0 ? 0 : std::uniform_int_distribution<int64_t>(0, bound - 1)(random_);
    }

    // Values that sit on the edges of B-tree fields, and now and then any value.
    int64_t edgeValue() {
        static constexpr std::array<int64_t, 16> edges{0,   1,   2,   7,   13,  14,   15,     16,
                                                       255, 256, 511, 512, 513, 4096, 0xFFFF, 0xFFFFFFFF};
        return below(4) == 0 ? below(0x100000000LL) : edges[static_cast<size_t>(below(edges.size()))];
    }

    void apply(Bytes& bytes) {
        const int64_t nodes = static_cast<int64_t>(bytes.size()) / 512;
        const int64_t node = below(std::max<int64_t>(nodes, 1));
        switch (below(6)) {
            case 0:  // cut anywhere
                bytes.resize(static_cast<size_t>(below(static_cast<int64_t>(bytes.size()) + 1)));
                break;
            case 1:  // scattered bytes
                for (int64_t i = 0, count = 1 + below(8); i < count && !bytes.empty(); ++i) {
                    bytes[static_cast<size_t>(below(static_cast<int64_t>(bytes.size())))] =
                        static_cast<uint8_t>(below(256));
                }
                break;
            case 2: {  // a header field: first leaf, node size, maximum key length, attributes
                static constexpr std::array<std::pair<int64_t, int>, 4> fields{std::pair{24, 4}, std::pair{32, 2},
                                                                               std::pair{34, 2}, std::pair{52, 4}};
                const auto [at, width] = fields[static_cast<size_t>(below(fields.size()))];
                put(bytes, at, width, edgeValue());
                break;
            }
            case 3:  // a node's forward link, often to a node of the file
                put(bytes, node * 512, 4, below(2) == 0 ? below(nodes + 3) : edgeValue());
                break;
            case 4:  // a node's record count
                put(bytes, node * 512 + 10, 2, edgeValue());
                break;
            default:  // an offset table entry, or the key length of a record
                if (below(2) == 0) {
                    put(bytes, node * 512 + 512 - 2 * (below(12) + 1), 2, below(700));
                } else {
                    put(bytes, node * 512 + 14 + below(200), 1, below(256));
                }
                break;
        }
    }

private:
    static void put(Bytes& bytes, int64_t at, int width, int64_t value) {
        for (int i = 0; i < width; ++i) {
            const auto index = static_cast<size_t>(at + i);
            if (index < bytes.size()) bytes[index] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
        }
    }

    std::mt19937 random_;
};

// Runs one reading; an error that is not the project's own is a failure.
template <typename Action>
void expectOnlyOwnErrors(const std::string& context, Action&& action) {
    try {
        action();
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    } catch (const ArithmeticOverflowError&) {
    } catch (const ValueOutOfRangeError&) {
    } catch (const std::exception& error) {
        ADD_FAILURE() << context << ": " << typeid(error).name() << ": " << error.what();
    }
}

void readEverything(const Bytes& damaged) {
    const ImageBytes bytes = ImageBytes::copyOf(damaged);
    const HFSCatalogFile catalog(bytes, 512);
    std::set<int64_t> ids{1, 2};
    for (const auto& leaf : catalog.leaves()) {
        leaf.dataBlock();  // every record read can be written back
        ids.insert(leaf.key.parentID);
        if (leaf.data.directoryRecord) ids.insert(leaf.data.directoryRecord->dirDirID);
    }
    for (const int64_t id : ids) {
        catalog.leavesInParent(id);
        catalog.directoryRecord(id);
    }
}

TEST(HFSCatalogDamaged, ReadingEndsWithTheProjectsOwnErrorsOnly) {
    const std::vector<Sample> sources = samples();
    Damage damage(0x5EED2024);
    int catalogsRead = 0;
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        const Sample& source = sources[static_cast<size_t>(iteration) % sources.size()];
        Bytes damaged = source.bytes;
        for (int64_t i = 0, count = 1 + damage.below(3); i < count; ++i) damage.apply(damaged);
        const std::string context = source.name + ", iteration " + std::to_string(iteration);

        expectOnlyOwnErrors(context + ", catalog", [&] {
            readEverything(damaged);
            ++catalogsRead;
        });
        expectOnlyOwnErrors(context + ", extents", [&] {
            for (const auto& leaf : ExtentsOverflowFile(ImageBytes::copyOf(damaged), 512).leaves) leaf.dataBlock();
        });
        expectOnlyOwnErrors(context + ", long keys", [&] {
            Bytes longKeys = damaged;
            if (longKeys.size() > 55) longKeys[55] = static_cast<uint8_t>(damage.below(8));  // attributes
            const BTree tree(ImageBytes::copyOf(longKeys), 512);
            tree.leafNodeRecords();
        });
    }
    // Much of the damage leaves a readable catalog, so the readers are tried
    // on damaged records and not only on damaged headers.
    EXPECT_GT(catalogsRead, kIterations / 4);
    RecordProperty("damagedCopiesReadAsCatalogs", catalogsRead);
}

TEST(HFSCatalogDamaged, EveryTruncationOfACatalogIsHandled) {
    const Bytes catalog = builtCatalog();
    for (size_t size = 0; size <= catalog.size(); size += 37) {
        const Bytes cut(catalog.begin(), catalog.begin() + static_cast<std::ptrdiff_t>(size));
        expectOnlyOwnErrors("cut to " + std::to_string(size), [&] { readEverything(cut); });
    }
}

}  // namespace
}  // namespace zorv

#include "support/ResourceForkExercise.hpp"

#include <cstddef>
#include <set>
#include <utility>
#include <vector>

#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"

namespace zorv::testing {

namespace {

// References may share or overlap their data, so a fork of n references can
// name the same large resource n times: each distinct resource is decoded
// once, and no more bytes in all than four times the fork's size, which keeps
// the target linear in the fork's size.
struct Decoded {
    std::set<std::pair<const uint8_t*, size_t>> seen;
    size_t bytesLeft;

    bool firstTime(const ImageBytes& contents) {
        if (contents.size() > bytesLeft || !seen.emplace(contents.data(), contents.size()).second) return false;
        bytesLeft -= contents.size();
        return true;
    }
};

}  // namespace

void exerciseResourceFork(const ImageBytes& bytes) {
    const ResourceFork fork(bytes);
    Decoded decoded{{}, 4 * bytes.size()};
    std::vector<ColorTable> tables{ColorTable(ColorTable::clut8())};
    for (const auto& [type, references] : fork.resources) {
        for (const auto& reference : references) {
            const auto contents = fork.getResource(type, reference.resourceID);
            if (!contents || !decoded.firstTime(*contents)) continue;
            if (type == "clut") {
                const auto table = fork.getclut(reference.resourceID);
                if (table && tables.size() < 2) tables.push_back(*table);
                (void)ColorTable(*contents)[0];
            } else if (type == "SICN") {
                (void)SICNIcon(contents->view());
            }
        }
    }
    const auto icons = fork.resources.find("icl8");
    if (icons == fork.resources.end()) return;
    for (const auto& reference : icons->second) {
        const auto contents = fork.getResource("icl8", reference.resourceID);
        if (!contents || !decoded.firstTime(*contents)) continue;
        for (const ColorTable& table : tables) (void)ICL8Icon(contents->view(), table);
    }
}


}  // namespace zorv::testing

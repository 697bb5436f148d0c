// libFuzzer target over the resource fork decoders: the input is taken as a
// resource fork. Its map is read, every resource's contents are looked up
// again by type and number, and the resources that have a decoder are
// decoded: colour tables ("clut", the system palette among them) and icons
// ("SICN", and "icl8" against the system palette and against the fork's
// first colour table: every icon against every table would make the target
// itself quadratic in the fork's size). The decoders never throw: any exception, crash,
// sanitizer report, hang or huge allocation is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"

namespace {

// References may share or overlap their data, so a fork of n references can
// name the same large resource n times: each distinct resource is decoded
// once, and no more bytes in all than four times the fork's size, which keeps
// the target linear in the fork's size.
struct Decoded {
    std::set<std::pair<const uint8_t*, size_t>> seen;
    size_t bytesLeft;

    bool firstTime(const zorv::ImageBytes& contents) {
        if (contents.size() > bytesLeft || !seen.emplace(contents.data(), contents.size()).second) return false;
        bytesLeft -= contents.size();
        return true;
    }
};

void decodeFork(const zorv::ImageBytes& bytes) {
    const zorv::ResourceFork fork(bytes);
    Decoded decoded{{}, 4 * bytes.size()};
    std::vector<zorv::ColorTable> tables{zorv::ColorTable(zorv::ColorTable::clut8())};
    for (const auto& [type, references] : fork.resources) {
        for (const auto& reference : references) {
            const auto contents = fork.getResource(type, reference.resourceID);
            if (!contents || !decoded.firstTime(*contents)) continue;
            if (type == "clut") {
                const auto table = fork.getclut(reference.resourceID);
                if (table && tables.size() < 2) tables.push_back(*table);
                (void)zorv::ColorTable(*contents)[0];
            } else if (type == "SICN") {
                (void)zorv::SICNIcon(contents->view());
            }
        }
    }
    const auto icons = fork.resources.find("icl8");
    if (icons == fork.resources.end()) return;
    for (const auto& reference : icons->second) {
        const auto contents = fork.getResource("icl8", reference.resourceID);
        if (!contents || !decoded.firstTime(*contents)) continue;
        for (const zorv::ColorTable& table : tables) (void)zorv::ICL8Icon(contents->view(), table);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        decodeFork(zorv::ImageBytes(zorv::Bytes(data, data + size)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "resource fork decoders threw: %s\n", error.what());
        std::abort();
    }
    return 0;
}

// libFuzzer target over the JSON documents zorv reads: the premade server's
// manifest (as the server sends it and as a local manifest file) and the
// partition layout of `create mac-device-partitioned` (--config-file and
// --partitions). The first input byte picks the decoder, the rest is the
// document. A clean refusal (JSONDecodingError, ManifestItemError, the
// option's ValidationError) is fine; any other exception, a crash, a
// sanitizer report, a hang or a huge allocation is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "cli/MacDevicePartitioned.hpp"
#include "cli/ParsableCommand.hpp"
#include "cli/PartitionDefinition.hpp"
#include "cli/PremadeListing.hpp"
#include "data_access/Bytes.hpp"
#include "data_access/Errors.hpp"
#include "remote_image/Manifest.hpp"

namespace {

void decodeManifest(zorv::ByteView document, bool fromLocalManifest) {
    const zorv::Manifest manifest = zorv::Manifest::decode(document, fromLocalManifest);
    (void)manifest.toJSON().dump();
    (void)zorv::cli::premadeListing(manifest, true);
    for (const auto& set : manifest.sets()) {
        (void)set.presentableLanguage();
        (void)set.sortedVolumes();
        // Looks the set up again by its reference, as a layout entry does.
        (void)manifest.setForReference(set.reference());
    }
}

void decodeLayout(zorv::ByteView document, bool asOptionText) {
    const auto layout =
        asOptionText ? zorv::cli::partitionLayoutFromOptionText(std::string(document.begin(), document.end()))
                     : zorv::cli::decodePartitionLayout(document);
    for (const auto& definition : layout) (void)definition.toJSON().dump();
    (void)zorv::cli::MacDevicePartitioned::layoutFailure(layout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const zorv::ByteView document(data + 1, size - 1);
    try {
        switch (data[0] % 4) {
            case 0: decodeManifest(document, false); break;
            case 1: decodeManifest(document, true); break;
            case 2: decodeLayout(document, false); break;
            default: decodeLayout(document, true); break;
        }
    } catch (const zorv::EnumeratedError&) {
    } catch (const zorv::cli::ValidationError&) {
    } catch (const std::exception& error) {
        std::fprintf(stderr, "foreign exception: %s\n", error.what());
        std::abort();
    }
    return 0;
}

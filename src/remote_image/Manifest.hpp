#pragma once

#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "data_access/Bytes.hpp"
#include "remote_image/ManifestImageSet.hpp"

namespace zorv {

// The catalog of premade volume sets published by the premade server.
class Manifest {
public:
    explicit Manifest(std::vector<ManifestImageSet> sets) : sets_(std::move(sets)) {}

    // Fetches the manifest (blocking) and decodes it. Text that does not parse
    // as a URL throws WexDownloaderError invalidURL before anything is
    // fetched; the fetch's errors pass unchanged (emptyData for an empty
    // body); the document must be what decode() takes. Volumes of a manifest
    // read from a file URL may themselves be file URLs.
    static Manifest withURLString(std::string_view urlString);

    // Decodes a manifest document: a bare JSON array of set objects (an empty
    // array is a manifest with no sets). Throws JSONDecodingError; there is
    // no partial manifest.
    static Manifest decode(ByteView document, bool fromLocalManifest = false);

    // The manifest as a record of its own: {"sets": [...]}. The server's
    // document is the bare array under "sets".
    nlohmann::ordered_json toJSON() const;

    // In document order.
    const std::vector<ManifestImageSet>& sets() const { return sets_; }

    // The sets in display order: by setName, then by language; sets equal in
    // both keep document order. Texts compare by Unicode scalar values after
    // canonical normalisation, case-sensitively.
    std::vector<ManifestImageSet> sortedSets() const;

    // The first set in document order whose reference equals the text (same
    // comparison as above, so case matters). Throws ManifestItemError
    // invalidSetReference carrying the text when there is none.
    const ManifestImageSet& setForReference(std::string_view reference) const;

private:
    std::vector<ManifestImageSet> sets_;
};

}  // namespace zorv

#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "data_access/ImageBytes.hpp"
#include "platform/FileSystem.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {

// A file of the shared corpus of real disk images (../shared/corpus), by its
// path inside the corpus; nothing when it is absent (tests then skip).
inline std::optional<std::filesystem::path> corpusFile(const std::string& relativePath) {
    const std::filesystem::path path = std::filesystem::path(ZORV_CORPUS_DIR) / relativePath;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}

// The bytes of a corpus image, read whole; one stored compressed (a name
// ending in ".xz" or ".gz") is unpacked with `xz -dc` or `gzip -dc` first.
// Nothing when the file is absent, or the unpacker is missing or fails.
inline std::optional<ImageBytes> corpusImage(const std::string& relativePath) {
    const auto path = corpusFile(relativePath);
    if (!path) return std::nullopt;
    const std::string extension = path->extension().string();
    if (extension != ".xz" && extension != ".gz") return fs::readWholeFile(path->string());
    const std::string unpacker = extension == ".xz" ? "xz" : "gzip";
    if (!isCommandAvailable(unpacker)) return std::nullopt;
    const TemporaryDirectory scratch;
    const std::string unpacked = scratch.file("unpacked.img");
    const auto result = runCommand({"sh", "-c", "\"$0\" -dc \"$1\" > \"$2\"", unpacker, path->string(), unpacked});
    if (result.exitStatus != 0) return std::nullopt;
    // Copied into memory: the scratch folder goes with this function.
    return ImageBytes(fs::readWholeFile(unpacked).toBytes());
}

}  // namespace zorv::testing

#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zorv::testing {

// A file of the shared corpus of real disk images (../shared/corpus), by its
// path inside the corpus; nothing when it is absent (tests then skip).
inline std::optional<std::filesystem::path> corpusFile(const std::string& relativePath) {
    const std::filesystem::path path = std::filesystem::path(ZORV_CORPUS_DIR) / relativePath;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}

}  // namespace zorv::testing

// Replays the inputs on which the fuzz targets once failed
// (tests/data/fuzz-regressions/, see its README.md) through the same path as
// the whole-image target: detection, both reports, both forks of every item,
// each partition's volume. Each must end with at most one of the library's
// own errors, and quickly.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/ImageExercise.hpp"

namespace zorv {
namespace {

namespace fsys = std::filesystem;

const fsys::path regressionsFolder{ZORV_FUZZ_REGRESSIONS_DIR};

// The input files of the folder, by name: minimised bytes (".bin") and
// recipes that build them (".recipe").
std::vector<std::string> regressionFiles() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fsys::directory_iterator(regressionsFolder, error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".bin" || extension == ".recipe") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int64_t number(const std::string& text) { return std::stoll(text, nullptr, 0); }

// Builds the bytes of a recipe, one instruction a line ('#' starts a comment):
//   base <corpus file>     the bytes of a corpus image (".xz" unpacked)
//   base zeros <size>      that many zero bytes
//   cut <size>             cut the bytes short, or extend them with zeros
//   put <offset> <hex>...  overwrite bytes from offset on, e.g. put 0x400 42 44
// Nothing when the recipe's corpus image is absent.
std::optional<Bytes> bytesOfRecipe(const fsys::path& path, std::string& missing) {
    std::ifstream file(path);
    Bytes bytes;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string instruction;
        if (!(words >> instruction)) continue;
        std::string argument;
        words >> argument;
        if (instruction == "base" && argument == "zeros") {
            std::string size;
            words >> size;
            bytes.assign(static_cast<size_t>(number(size)), 0);
        } else if (instruction == "base") {
            const auto image = testing::corpusImage(argument);
            if (!image) {
                missing = argument;
                return std::nullopt;
            }
            bytes = image->toBytes();
        } else if (instruction == "cut") {
            bytes.resize(static_cast<size_t>(number(argument)), 0);
        } else if (instruction == "put") {
            auto at = static_cast<size_t>(number(argument));
            for (std::string hex; words >> hex; ++at) {
                if (at >= bytes.size()) bytes.resize(at + 1, 0);
                bytes[at] = static_cast<uint8_t>(std::stoul(hex, nullptr, 16));
            }
        } else {
            ADD_FAILURE() << path.filename() << ": unknown instruction " << instruction;
        }
    }
    return bytes;
}

// The fuzz target allows each input one second in a much slower build.
constexpr auto kTimeLimit = std::chrono::seconds(5);

// One test over the whole folder, listed when it runs: a file added there is
// replayed without rebuilding the tests.
TEST(FuzzRegressions, EndCleanlyAndQuickly) {
    const std::vector<std::string> names = regressionFiles();
    if (names.empty()) GTEST_SKIP() << "no inputs kept in " << regressionsFolder;
    std::vector<std::string> skipped;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fsys::path path = regressionsFolder / name;
        std::optional<Bytes> bytes;
        if (path.extension() == ".recipe") {
            std::string missing;
            bytes = bytesOfRecipe(path, missing);
            if (!bytes) {
                skipped.push_back(name + " (" + missing + " is not in the corpus)");
                continue;
            }
        } else {
            bytes = fs::readWholeFile(path.string()).toBytes();
        }
        const auto started = std::chrono::steady_clock::now();
        testing::mustNotThrow("exerciseImage", [&] { testing::exerciseImage(ImageBytes(std::move(*bytes))); });
        EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeLimit);
    }
    if (skipped.size() == names.size()) GTEST_SKIP() << "every input needs the corpus";
    for (const std::string& name : skipped) std::cout << "skipped " << name << '\n';
}

}  // namespace
}  // namespace zorv

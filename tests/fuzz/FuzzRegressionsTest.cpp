// Replays the inputs on which the fuzz targets once failed
// (tests/data/fuzz-regressions/, see its README.md) through the same path as
// their target: for whole images detection, both reports, both forks of
// every item, each partition's volume; for resource forks the map and the
// decoders. Each must end with at most one of the library's
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
#include "support/ResourceForkExercise.hpp"

namespace zorv {
namespace {

namespace fsys = std::filesystem;

const fsys::path regressionsFolder{ZORV_FUZZ_REGRESSIONS_DIR};

int64_t number(const std::string& text) { return std::stoll(text, nullptr, 0); }

// Builds the bytes of a recipe, one instruction a line ('#' starts a comment):
//   base <corpus file>     the bytes of a corpus image (".xz" unpacked)
//   base zeros <size>      that many zero bytes
//   cut <size>             cut the bytes short, or extend them with zeros
//   put <offset> <hex>...  overwrite bytes from offset on, e.g. put 0x400 42 44
//   fill <offset> <count> <hex>...  those bytes `count` times from offset on
//   copy <from> <count> <to>  `count` bytes of the base image as read, from
//                          `from` on, written from `to` on
// Nothing when the recipe's corpus image is absent.
std::optional<Bytes> bytesOfRecipe(const fsys::path& path, std::string& missing) {
    std::ifstream file(path);
    Bytes bytes;
    Bytes base;
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
            base = bytes;
        } else if (instruction == "cut") {
            bytes.resize(static_cast<size_t>(number(argument)), 0);
        } else if (instruction == "put" || instruction == "fill") {
            auto at = static_cast<size_t>(number(argument));
            std::string count = "1";
            if (instruction == "fill") words >> count;
            Bytes pattern;
            for (std::string hex; words >> hex;) pattern.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
            for (int64_t time = 0; time < number(count); ++time) {
                for (const uint8_t byte : pattern) {
                    if (at >= bytes.size()) bytes.resize(at + 1, 0);
                    bytes[at++] = byte;
                }
            }
        } else if (instruction == "copy") {
            const auto from = static_cast<size_t>(number(argument));
            std::string count;
            std::string to;
            words >> count >> to;
            const auto size = static_cast<size_t>(number(count));
            const auto at = static_cast<size_t>(number(to));
            if (from > base.size() || size > base.size() - from) {
                ADD_FAILURE() << path.filename() << ": copy past the base image's end: " << line;
                continue;
            }
            if (at + size > bytes.size()) bytes.resize(at + size, 0);
            std::copy_n(base.begin() + static_cast<std::ptrdiff_t>(from), size,
                        bytes.begin() + static_cast<std::ptrdiff_t>(at));
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
    std::vector<fsys::path> inputs;
    std::error_code error;
    for (const auto& entry : fsys::directory_iterator(regressionsFolder, error)) {
        if (entry.path().extension() == ".bin" || entry.path().extension() == ".recipe") inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    int replayed = 0;
    for (const fsys::path& path : inputs) {
        SCOPED_TRACE(path.filename());
        std::string missing;
        std::optional<Bytes> bytes = path.extension() == ".recipe" ? bytesOfRecipe(path, missing)
                                                                   : fs::readWholeFile(path.string()).toBytes();
        if (!bytes) {
            std::cout << "skipped " << path.filename() << " (" << missing << " is not in the corpus)\n";
            continue;
        }
        ++replayed;
        const auto started = std::chrono::steady_clock::now();
        // Findings of the resource fork target go through its path.
        if (path.filename().string().rfind("resource-fork-", 0) == 0) {
            testing::mustNotThrow("exerciseResourceFork",
                                  [&] { testing::exerciseResourceFork(ImageBytes(std::move(*bytes))); });
        } else {
            testing::mustNotThrow("exerciseImage", [&] { testing::exerciseImage(ImageBytes(std::move(*bytes))); });
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeLimit);
    }
    if (replayed == 0) GTEST_SKIP() << "no input of " << regressionsFolder << " could be replayed";
}

}  // namespace
}  // namespace zorv

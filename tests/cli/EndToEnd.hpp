#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ZorvProcess.hpp"
#include "data_access/Bytes.hpp"
#include "support/ScopedTimeLocale.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {

// What the end-to-end tests of the command line share: the built binary run
// in a fresh folder, with the time zone and the time locale of its reports
// pinned (the child inherits them), and small file helpers.
class ZorvEndToEndTest : public ::testing::Test {
protected:
    ZorvRun zorv(const std::vector<std::string>& arguments) { return runZorvBinary(arguments, folder.path()); }

    std::string path(const std::string& name) const { return folder.file(name); }

    void writeFile(const std::string& name, ByteView bytes) const {
        std::ofstream file(path(name), std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void writeFile(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }

    Bytes readFile(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::string readText(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The names in the folder, sorted.
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The two lines of usage that follow a validation message.
    static std::string usageLines(const std::string& usage, const std::string& command) {
        return "Usage: " + usage + "\n  See '" + command + " --help' for more information.\n";
    }

    ScopedTimeZone timeZone{"UTC"};
    ScopedTimeLocale timeLocale{"C"};
    TemporaryDirectory folder;
};

// The blocks [first, first + count) of an image, in 512-byte blocks.
inline Bytes blocksOf(const Bytes& image, int64_t first, int64_t count = 1) {
    return Bytes(image.begin() + first * 512, image.begin() + (first + count) * 512);
}

}  // namespace zorv::testing

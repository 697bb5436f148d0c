#include "support/HfsSampleVolumes.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/FileSystem.hpp"

namespace zorv::testing {

namespace {

std::string writeHostFile(const std::string& imagePath, const std::string& name, size_t size, char fill) {
    const std::string path = (std::filesystem::path(imagePath).parent_path() / name).string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::string contents(size, fill);
    for (size_t i = 0; i < size; ++i) contents[i] = static_cast<char>(fill + static_cast<char>(i % 23));
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

ImageBytes makeSampleTreeVolume(HfsTool& tool, const std::string& imagePath) {
    const std::string readMe = writeHostFile(imagePath, "readme.txt", 6, 'a');
    const std::string small = writeHostFile(imagePath, "small.bin", 100, 'A');

    tool.formatNewImage(imagePath, "Sample Tree", 1440 * 1024);
    tool.copyIn(readMe, ":ReadMe");
    tool.setTypeAndCreator(":ReadMe", "TEXT", "ttxt");
    tool.copyIn(small, ":App");
    tool.setTypeAndCreator(":App", "APPL", "MyAp");
    tool.copyIn(small, ":zeta");
    tool.makeFolder(":Empty Folder");
    tool.makeFolder(
        ":\x83"
        "clair");
    tool.makeFolder(":Letters");
    for (const char* name : {"apple", "Banana", "cherry", "Date"}) tool.copyIn(small, std::string(":Letters:") + name);
    tool.makeFolder(":Nested");
    tool.makeFolder(":Nested:Level 2");
    tool.makeFolder(":Nested:Level 2:Level 3");
    tool.copyIn(readMe, ":Nested:Level 2:Level 3:deep.txt");
    tool.makeFolder(":Many");
    for (int i = 0; i < 40; ++i) tool.copyIn(small, ":Many:item " + twoDigits(i));
    tool.unmount();
    return fs::readWholeFile(imagePath);
}

ImageBytes makeFragmentedVolume(HfsTool& tool, const std::string& imagePath) {
    const std::string chunk = writeHostFile(imagePath, "chunk.bin", 20000, 'p');
    const std::string big = writeHostFile(imagePath, "big.bin", 200000, 'B');

    tool.formatNewImage(imagePath, "Fragments", 800 * 1024);
    int count = 0;
    for (;; ++count) {
        try {
            tool.copyIn(chunk, ":f" + std::to_string(count));
        } catch (const std::runtime_error&) {
            break;  // the volume is full
        }
    }
    for (int i = 0; i < count; i += 2) tool.remove(":f" + std::to_string(i));
    tool.copyIn(big, ":Big");
    tool.unmount();
    return fs::readWholeFile(imagePath);
}

}  // namespace zorv::testing

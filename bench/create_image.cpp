// Creates a zero-filled image of the given size with the image file writer,
// with one block queued at each end, as the device builder does.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "disk_image/blocks/PhysicalBlockFile.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE SIZE_IN_BYTES\n", argv[0]);
        return 64;
    }
    try {
        const long long size = std::atoll(argv[2]);
        zorv::PhysicalBlockFile file(zorv::URL::fileURLWithPath(argv[1]), size, 512);
        file.installBlock(0, zorv::Bytes(512, 0));
        file.installBlock(size / 512 - 1, zorv::Bytes(512, 0));
        file.generateFile(true);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s\n", error.what());
        return 1;
    }
    return 0;
}

// Writes seeds that the zorv command cannot write:
//   seed_writer blanks <folder>            the blank images of the library's
//                                          creators that no command uses
//                                          (Apple II, Atari ST, Amiga);
//   seed_writer forks <folder> <image>...  the resource forks of every file of
//                                          the images, one file per fork.
// Images that are not volumes or devices, and items that cannot be read, are
// passed over.

#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "disk_image/formats/amiga/adf/AmigaImageCreator.hpp"
#include "disk_image/formats/apple2/AppleIIImageCreator.hpp"
#include "disk_image/formats/atari_st/tos/TOSImageCreator.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "platform/URL.hpp"

namespace {

int written = 0;

void writeForks(const zorv::VolumeRepresentable& volume, const std::string& folder) {
    for (const zorv::FileHierarchyElement& element : volume.fileHierarchy()) {
        try {
            const auto fork = volume.getFork(zorv::ForkType::resource, element.item);
            if (!fork || fork->size() == 0) continue;
            std::ofstream(folder + "/fork-" + std::to_string(written++), std::ios::binary)
                .write(reinterpret_cast<const char*>(fork->data()), static_cast<std::streamsize>(fork->size()));
        } catch (const std::exception&) {
        }
    }
}

}  // namespace

void writeBlanks(const std::string& folder) {
    const auto at = [&](const char* name) { return zorv::URL::fileURLWithPath(folder + "/" + name); };
    zorv::AppleIIImageCreator(143360, at("blank-dos33.do"), zorv::AppleIIImageCreator::Mode::DOS33).create(true);
    zorv::AppleIIImageCreator(143360, at("blank-prodos.po"), zorv::AppleIIImageCreator::Mode::ProDOS).create(true);
    zorv::TOSImageCreator(zorv::TOSMedia::SSDDFloppy, at("blank-ss.st")).create(true);
    zorv::TOSImageCreator(zorv::TOSMedia::DSDDFloppy, at("blank-ds.st")).create(true);
    zorv::TOSImageCreator(zorv::TOSMedia::DSHDFloppy, at("blank-hd.st")).create(true);
    zorv::AmigaImageCreator(zorv::ADFDiskGeometry::DDFloppy, true, at("blank-dd.adf")).create(true);
    zorv::AmigaImageCreator(zorv::ADFDiskGeometry::HDFloppy, false, at("blank-hd.adf")).create(true);
}

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[1] : "";
    if (mode != "blanks" && mode != "forks") {
        std::fprintf(stderr, "usage: seed_writer blanks <folder> | seed_writer forks <folder> <image>...\n");
        return 64;
    }
    const std::string folder = argv[2];
    if (mode == "blanks") {
        writeBlanks(folder);
        return 0;
    }
    for (int index = 3; index < argc; ++index) {
        try {
            const zorv::ImageParser parser(zorv::fs::readWholeFile(argv[index]));
            if (const auto volume = parser.volume()) writeForks(*volume, folder);
            if (const auto device = parser.device()) {
                for (size_t partition = 0; partition < device->devicePartitions().size(); ++partition) {
                    if (const auto volume = device->volumeForPartition(static_cast<int64_t>(partition)))
                        writeForks(*volume, folder);
                }
            }
        } catch (const std::exception&) {
        }
    }
    std::printf("seed_writer: %d resource forks\n", written);
    return 0;
}

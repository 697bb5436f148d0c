// Writes an HFS+ volume of many empty files with the test suite's volume
// builder: `bench_make_hfsplus_volume OUTPUT [FOLDERS [FILES_PER_FOLDER]]`
// (2,000 folders of 100 files by default, 200,000 files).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/HFSPlusVolumeBuilder.hpp"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT [FOLDERS [FILES_PER_FOLDER]]\n", argv[0]);
        return 2;
    }
    const int64_t folders = argc > 2 ? std::atoll(argv[2]) : 2000;
    const int64_t filesPerFolder = argc > 3 ? std::atoll(argv[3]) : 100;

    zorv::testing::HFSPlusVolumeBuilder volume;
    volume.volumeName = u"Many Files";
    int64_t nextID = 16;
    for (int64_t folder = 0; folder < folders; ++folder) {
        zorv::testing::HFSPlusVolumeBuilder::Folder entry;
        entry.name = u"Folder ";
        for (const char c : std::to_string(folder)) entry.name += static_cast<char16_t>(c);
        entry.folderID = nextID++;
        entry.createDate = 0xDE000000 + folder;
        entry.modifyDate = entry.createDate;
        volume.folders.push_back(entry);
        for (int64_t file = 0; file < filesPerFolder; ++file) {
            zorv::testing::HFSPlusVolumeBuilder::File item;
            item.parentID = entry.folderID;
            item.name = u"Note ";
            for (const char c : std::to_string(file)) item.name += static_cast<char16_t>(c);
            item.name += u".txt";
            item.fileID = nextID++;
            // Empty forks: the catalog is what is measured.
            item.dataFork.extentCount = 0;
            item.createDate = 0xDE000000 + file * 3600;
            item.modifyDate = item.createDate;
            volume.files.push_back(std::move(item));
        }
    }
    const zorv::Bytes image = volume.build();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return out ? 0 : 1;
}

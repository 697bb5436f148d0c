#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// What `mdir -/ -a` lists of a FAT floppy: every file and folder by the path
// of its 8.3 entries as stored, in upper case ("/GAMES/SUB/B.DAT"; "." and
// ".." left out), and the free bytes.
struct MdirListing {
    struct Item {
        bool isFolder = false;
        int64_t size = 0;  // 0 for folders
        friend bool operator==(const Item&, const Item&) = default;
    };
    std::map<std::string, Item> items;
    int64_t freeBytes = -1;

    static MdirListing parse(const std::string& text);
};

// Drives mtools (and Hatari's hmsa) to make real Atari ST floppies: images
// that `mformat -a` formats and `mmd`/`mcopy` fill, read back with `mdir`,
// packed as MSA files. Paths on the floppy are absolute, "/FOLDER/NAME.EXT",
// in upper-case 8.3 names, which mtools stores as plain 8.3 entries. Every
// step throws std::runtime_error, with the tool's output, when the tool fails.
class MtoolsFloppy {
public:
    static bool isAvailable();
    static bool isHmsaAvailable();

    // Formats a new image of `tracks` x `sides` x `sectors` in Atari mode,
    // with any further mformat options ("-v", "LABEL" for a volume label;
    // "-R", "2" for two reserved sectors).
    explicit MtoolsFloppy(std::string imagePath, int tracks = 80, int sides = 2, int sectors = 9,
                          const std::vector<std::string>& formatOptions = {});

    // Opens an image that already exists (nothing is formatted).
    static MtoolsFloppy existing(std::string imagePath);

    void makeFolder(const std::string& path) const;
    // Makes every folder in one run of mmd, in list order: parents first.
    void makeFolders(const std::vector<std::string>& paths) const;
    // Writes `bytes` to a host file beside the image and copies it in.
    void copyIn(const Bytes& bytes, const std::string& path) const;
    // Deletes a file (mdel): its entry stays, marked deleted.
    void remove(const std::string& path) const;
    MdirListing listing() const;

    // Packs the image with hmsa; the path of the MSA file.
    std::string packedAsMSA() const;
    // Has hmsa write a blank floppy of 80 tracks of 9 sectors, one or two
    // sides, as an MSA file at `msaPath`.
    static void writeBlankMSA(const std::string& msaPath, int sides);

    const std::string& imagePath() const { return imagePath_; }

private:
    struct Existing {};
    MtoolsFloppy(Existing, std::string imagePath) : imagePath_(std::move(imagePath)) {}
    std::string run(const std::vector<std::string>& arguments) const;

    std::string imagePath_;
};

}  // namespace zorv::testing

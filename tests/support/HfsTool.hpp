#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {

// Drives Debian's hfsutils to make and fill real HFS volumes. hfsutils keeps
// its current volume in ~/.hcwd, so each value runs the tools with HOME set
// to a folder of its own: tests running side by side never share a volume.
// Every step throws std::runtime_error, carrying the tool's output, when the
// tool fails.
class HfsTool {
public:
    // True when the hfsutils programs are on PATH.
    static bool isAvailable();

    // Writes a zero-filled image of `sizeInBytes` bytes, formats it as an HFS
    // volume named `volumeName` and leaves it mounted as the current volume.
    void formatNewImage(const std::string& imagePath, const std::string& volumeName, int64_t sizeInBytes);
    void mount(const std::string& imagePath);
    void unmount();

    // HFS paths are colon-separated from the volume root, e.g. ":Folder:File";
    // names are Mac OS Roman bytes.
    void makeFolder(const std::string& hfsPath);
    // Copies a host file's bytes into the data fork of a new file.
    void copyIn(const std::string& hostPath, const std::string& hfsPath);
    void remove(const std::string& hfsPath);
    void setTypeAndCreator(const std::string& hfsPath, const std::string& type, const std::string& creator);
    // `hls -R -l -a` of the current volume: every item, in the format that
    // HlsListing reads.
    std::string recursiveListing();

    // Runs one hfsutils command in this value's HOME and returns its output.
    std::string run(const std::vector<std::string>& arguments);

private:
    TemporaryDirectory home_;
};

}  // namespace zorv::testing

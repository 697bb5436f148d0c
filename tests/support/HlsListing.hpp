#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zorv::testing {

// One line of `hls -l`: a file or a folder as hfsutils sees it.
struct HlsEntry {
    bool isFolder = false;
    bool isInvisible = false;
    std::string type;     // the type column as printed: "%4s" of the code up to its first zero byte
    std::string creator;  // the creator column, printed the same way
    int64_t resourceForkSize = 0;
    int64_t dataForkSize = 0;
    int64_t valence = 0;  // items in a folder
    std::string date;     // the 12-character date column: "%b %e %H:%M", or "%b %e  %Y" for older dates
    std::string name;     // raw Mac OS Roman bytes
};

// The output of `hls -R -l -a` (or an oracle file holding it), by folder:
// the key is the folder's path as hls prints it, ":" for the root and
// ":Folder:Sub:" below it. Comment lines (#) and messages are skipped.
std::map<std::string, std::vector<HlsEntry>> parseHlsListing(const std::string& text);

// How hls prints a four-byte type or creator code: the bytes up to the
// first zero byte, right-aligned in four columns.
std::string hlsCodeColumn(const std::string& code);

}  // namespace zorv::testing

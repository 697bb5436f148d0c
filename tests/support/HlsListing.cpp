#include "support/HlsListing.hpp"

#include <sstream>

namespace zorv::testing {

namespace {

// hls -l prints fixed columns ("%c%c %4s/%4s %9lu %9lu %s %s" for files,
// "d%c %9u item%c" and padding for folders, a 12-character date), so the
// name always starts at column 46, whatever bytes the codes hold.
constexpr size_t nameColumn = 46;
constexpr size_t dateColumn = 33;
constexpr size_t dateWidth = 12;

int64_t number(const std::string& line, size_t from, size_t length) { return std::stoll(line.substr(from, length)); }

}  // namespace

std::map<std::string, std::vector<HlsEntry>> parseHlsListing(const std::string& text) {
    std::map<std::string, std::vector<HlsEntry>> folders;
    std::string folder = ":";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == ':') {
            folder = line;
            folders[folder];
            continue;
        }
        if (line.size() <= nameColumn || (line[0] != 'd' && line[0] != 'f' && line[0] != 'F')) continue;
        HlsEntry entry;
        entry.isFolder = line[0] == 'd';
        entry.isInvisible = line[1] == 'i';
        entry.name = line.substr(nameColumn);
        entry.date = line.substr(dateColumn, dateWidth);
        if (entry.isFolder) {
            entry.valence = number(line, 3, 9);
        } else {
            entry.type = line.substr(3, 4);
            entry.creator = line.substr(8, 4);
            entry.resourceForkSize = number(line, 13, 9);
            entry.dataForkSize = number(line, 23, 9);
        }
        folders[folder].push_back(entry);
    }
    return folders;
}

std::string hlsCodeColumn(const std::string& code) {
    const std::string shown = code.substr(0, code.find('\0'));
    return shown.size() >= 4 ? shown : std::string(4 - shown.size(), ' ') + shown;
}

}  // namespace zorv::testing

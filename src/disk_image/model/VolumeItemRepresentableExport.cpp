// The export of a volume's files and folders to the host, the default of
// VolumeItemRepresentable::createExportedFile.

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "disk_image/blocks/PhysicalBlockFile.hpp"
#include "disk_image/model/HierarchyWalk.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"
#include "disk_image/model/VolumeItemRepresentableError.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "platform/FileSystem.hpp"

namespace zorv {
namespace {

constexpr const char* resourceForkAttribute = "com.apple.ResourceFork";

[[noreturn]] void fileNotCreated() {
    throw VolumeItemRepresentableError(VolumeItemRepresentableError::Case::fileNotCreated);
}

// A name of the volume made fit to be one level of a host path. Names come
// from an untrusted image: a level "." or ".." would climb out of the
// destination, and a NUL byte would cut the path short, so they become
// hyphens (".." two of them, so that it stays apart from ".").
std::string hostLevel(std::string_view name) {
    std::string level(name);
    std::replace(level.begin(), level.end(), '\0', '-');
    if (level == "." || level == "..") level.assign(level.size(), '-');
    return level;
}

// Appends a folder or volume name: each slash in it starts a further level,
// and empty levels (an Amiga root folder has no name) are dropped.
void appendLevels(std::filesystem::path& folder, std::string_view name) {
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) slash = name.size();
        if (slash > start) folder /= hostLevel(name.substr(start, slash - start));
        start = slash + 1;
    }
}

// Whether `path` names something strictly below `folder`.
bool isBelow(const std::filesystem::path& folder, const std::filesystem::path& path) {
    const std::filesystem::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

void writeFile(const std::string& path, ByteView contents, const std::optional<fs::HFSTypeAndCreator>& codes = {},
               const std::optional<Date>& modificationDate = {}) {
    try {
        fs::createFile(path, contents, codes, modificationDate);
    } catch (const std::system_error&) {
        fileNotCreated();
    }
}

void exportFile(const VolumeRepresentable& volume, const VolumeItem& item, const URL& url, bool separateForks) {
    if (!url.isFileURL() || url.path().empty()) fileNotCreated();
    const std::filesystem::path destination(url.path());

    // The enclosing folders come innermost first, the volume's own line last.
    std::filesystem::path folder = destination;
    const std::vector<std::string> enclosing = volume.tree(item);
    for (auto level = enclosing.rbegin(); level != enclosing.rend(); ++level) appendLevels(folder, *level);
    std::string name = item->name();
    std::replace(name.begin(), name.end(), '/', '-');
    name = hostLevel(name);
    if (name.empty()) fileNotCreated();
    const std::filesystem::path file = folder / name;
    if (!isBelow(destination, file)) fileNotCreated();

    fs::createDirectories(folder.string());

    std::optional<fs::HFSTypeAndCreator> codes;
    const auto type = item->type();
    const auto creator = item->creator();
    if (type || creator) codes = fs::HFSTypeAndCreator{type ? type->uint32() : 0, creator ? creator->uint32() : 0};

    // The data fork's bytes exactly: the item's logical size counts its
    // resource fork too, so the file is never sized after it.
    const auto data = volume.getFork(ForkType::data, item);
    writeFile(file.string(), data ? data->view() : ByteView(), codes, item->modificationDate());

    const auto resource = volume.getFork(ForkType::resource, item);
    if (!resource) return;
    if (separateForks) {
        writeFile(file.string() + ".rsrc", resource->view());
    } else {
        setExtendedAttribute(URL::fileURLWithPath(file.string()), resource->view(), resourceForkAttribute);
    }
}

}  // namespace

void VolumeItemRepresentable::createExportedFile(const VolumeRepresentable& volume, const URL& url,
                                                 bool separateForks) const {
    const VolumeItem self = shared_from_this();
    if (!isFolder() || !isExportable()) {
        exportFile(volume, self, url, separateForks);
        return;
    }
    // A folder gets no host folder of its own: each file below it makes the
    // folders of its path. Folders are walked, not exported one by one, so
    // that each is opened once whatever a damaged catalog says.
    HierarchyWalk(volume, [&](const VolumeItem& child, int64_t /*level*/) {
        if (!child) fileNotCreated();
        if (child->isFolder() && child->isExportable()) return true;
        volume.exportItem(child, url, separateForks);
        return false;
    }).run(self);
}

}  // namespace zorv

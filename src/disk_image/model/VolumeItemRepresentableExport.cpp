// The export of a volume's files and folders to the host, the default of
// VolumeItemRepresentable::createExportedFile.

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <vector>

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

// Appends the levels of a folder or volume name: each slash in it starts a
// further level, and empty levels (an Amiga root folder has no name) are
// dropped.
void appendLevels(std::vector<std::string>& levels, std::string_view name) {
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) slash = name.size();
        if (slash > start) levels.push_back(hostLevel(name.substr(start, slash - start)));
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

// The host paths that one export call has written. Names that differ on the
// volume can meet on the host ("a/b" and "a-b", "." and "-", the ".rsrc"
// file of "Foo" and a file "Foo.rsrc", folders "X/Y" and "X" holding "Y"),
// and the second file would silently replace the first. The outermost export
// call owns the record; the exports of the items below a folder come back
// through the volume and share it. A new call starts afresh, so exporting an
// item again replaces its files.
class WrittenPaths {
public:
    WrittenPaths() : owner_(current_ == nullptr) {
        if (owner_) current_ = &paths_;
    }
    ~WrittenPaths() {
        if (owner_) current_ = nullptr;
    }
    WrittenPaths(const WrittenPaths&) = delete;
    WrittenPaths& operator=(const WrittenPaths&) = delete;

    // The first of `name`, "name 2", "name 3"... (the number before any
    // extension, so that the file keeps its kind) whose path in `folder`, and
    // whose ".rsrc" path when it gets one, this call has not written yet.
    std::filesystem::path freePath(const std::filesystem::path& folder, const std::string& name,
                                   bool withForkFile) const {
        const size_t dot = name.rfind('.');
        const bool hasExtension = dot != std::string::npos && dot > 0;
        const std::string stem = hasExtension ? name.substr(0, dot) : name;
        const std::string extension = hasExtension ? name.substr(dot) : std::string();
        // Each number passed over is taken by a path already written, so the
        // search ends within as many numbers as there are such paths.
        for (size_t number = 1;; ++number) {
            const std::filesystem::path file =
                folder / (number == 1 ? name : stem + " " + std::to_string(number) + extension);
            if (!isWritten(file.string()) && !(withForkFile && isWritten(file.string() + ".rsrc"))) return file;
        }
    }

    void add(const std::string& path) const { current_->insert(path); }

private:
    bool isWritten(const std::string& path) const { return current_->contains(path); }

    static thread_local std::unordered_set<std::string>* current_;
    const bool owner_;
    std::unordered_set<std::string> paths_;
};

thread_local std::unordered_set<std::string>* WrittenPaths::current_ = nullptr;

// Creates the folders of `levels` below the destination, entering only real
// folders: a link there could lead outside the destination, so it, or any
// other non-folder, ends the export. The destination itself is the caller's
// and may be a link.
void createFolders(const std::filesystem::path& destination, const std::vector<std::string>& levels) {
    fs::createDirectories(destination.string());
    std::filesystem::path folder = destination;
    for (const std::string& level : levels) {
        folder /= level;
        if (!fs::createRealDirectory(folder.string())) fileNotCreated();
    }
}

void exportFile(const VolumeRepresentable& volume, const VolumeItem& item, const URL& url, bool separateForks,
                const WrittenPaths& written) {
    if (!url.isFileURL() || url.path().empty()) fileNotCreated();
    const std::filesystem::path destination(url.path());

    // The enclosing folders come innermost first, the volume's own line last.
    std::vector<std::string> levels;
    const std::vector<std::string> enclosing = volume.tree(item);
    for (auto level = enclosing.rbegin(); level != enclosing.rend(); ++level) appendLevels(levels, *level);
    std::string name = item->name();
    std::replace(name.begin(), name.end(), '/', '-');
    name = hostLevel(name);
    if (name.empty()) fileNotCreated();
    std::filesystem::path folder = destination;
    for (const std::string& level : levels) folder /= level;
    if (!isBelow(destination, folder / name)) fileNotCreated();

    createFolders(destination, levels);

    std::optional<fs::HFSTypeAndCreator> codes;
    const auto type = item->type();
    const auto creator = item->creator();
    if (type || creator) codes = fs::HFSTypeAndCreator{type ? type->uint32() : 0, creator ? creator->uint32() : 0};

    // The data fork's bytes exactly: the item's logical size counts its
    // resource fork too, so the file is never sized after it.
    const auto data = volume.getFork(ForkType::data, item);
    // The resource fork is read before the name is chosen, since its ".rsrc"
    // file needs a free name too; a failure to read it is reported once the
    // data file is written.
    std::optional<ImageBytes> resource;
    std::exception_ptr resourceError;
    try {
        resource = volume.getFork(ForkType::resource, item);
    } catch (...) {
        resourceError = std::current_exception();
    }
    const std::filesystem::path file = written.freePath(folder, name, separateForks && resource);
    writeFile(file.string(), data ? data->view() : ByteView(), codes, item->modificationDate());
    written.add(file.string());

    if (resourceError) std::rethrow_exception(resourceError);
    if (!resource) return;
    if (separateForks) {
        writeFile(file.string() + ".rsrc", resource->view());
        written.add(file.string() + ".rsrc");
    } else {
        setExtendedAttribute(URL::fileURLWithPath(file.string()), resource->view(), resourceForkAttribute);
    }
}

}  // namespace

void VolumeItemRepresentable::createExportedFile(const VolumeRepresentable& volume, const URL& url,
                                                 bool separateForks) const {
    const VolumeItem self = shared_from_this();
    const WrittenPaths written;
    if (!isFolder() || !isExportable()) {
        exportFile(volume, self, url, separateForks, written);
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

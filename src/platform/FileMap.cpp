#include "platform/FileMap.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>

namespace zorv {

namespace {

// A live map and the file it shows; registered while it lives so that a
// view into it can be traced back to its file.
struct Mapping {
    Mapping(void* address, size_t length, int fd);
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping();

    const uint8_t* begin() const { return static_cast<const uint8_t*>(address); }
    void* address;
    size_t length;
    int fd;
};

// Never destroyed, so that a map let go while the program ends still finds
// them.
std::mutex& registryLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::vector<const Mapping*>& registry() {
    static auto* maps = new std::vector<const Mapping*>;
    return *maps;
}

Mapping::Mapping(void* address, size_t length, int fd) : address(address), length(length), fd(fd) {
    const std::lock_guard<std::mutex> lock(registryLock());
    registry().push_back(this);
}

Mapping::~Mapping() {
    {
        const std::lock_guard<std::mutex> lock(registryLock());
        auto& maps = registry();
        maps.erase(std::remove(maps.begin(), maps.end(), this), maps.end());
    }
    ::munmap(address, length);
    ::close(fd);
}

// The map holding the whole of `bytes`, if any; its file stays open while
// the caller's bytes keep the map alive.
const Mapping* mappingHolding(ByteView bytes) {
    const std::lock_guard<std::mutex> lock(registryLock());
    for (const Mapping* mapping : registry()) {
        const uint8_t* start = mapping->begin();
        if (bytes.data() >= start && bytes.data() + bytes.size() <= start + mapping->length) return mapping;
    }
    return nullptr;
}

}  // namespace

std::optional<ImageBytes> FileMap::map(int fd, size_t length) {
    void* address = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address == MAP_FAILED) return std::nullopt;
    auto mapping = std::make_shared<const Mapping>(address, length, fd);
    return ImageBytes::external(mapping, mapping->begin(), length, true);
}

std::vector<FileMap::Region> FileMap::dataRegions(ByteView bytes) {
    const std::vector<Region> whole{{0, bytes.size()}};
    if (bytes.empty()) return {};
    const Mapping* mapping = mappingHolding(bytes);
    if (mapping == nullptr) return whole;
    const auto start = static_cast<off_t>(bytes.data() - mapping->begin());
    const auto end = static_cast<off_t>(start + static_cast<off_t>(bytes.size()));
    std::vector<Region> regions;
    for (off_t position = start; position < end;) {
        const off_t data = ::lseek(mapping->fd, position, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // nothing but holes to the end of the file
            return whole;               // a file system that cannot tell
        }
        if (data >= end) break;
        const off_t hole = ::lseek(mapping->fd, data, SEEK_HOLE);
        if (hole < 0) return whole;
        const off_t stop = std::min(hole, end);
        regions.push_back({static_cast<size_t>(data - start), static_cast<size_t>(stop - data)});
        position = stop;
    }
    return regions;
}

}  // namespace zorv

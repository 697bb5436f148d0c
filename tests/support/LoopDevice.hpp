#pragma once

#include <optional>
#include <string>

namespace zorv::testing {

// The path of a system program (losetup, mount, mkfs.ext2...): on PATH, else
// in /usr/sbin or /sbin, which a user's PATH may leave out; empty when it is
// on none of them.
std::string systemProgram(const std::string& name);

// A disk for the tests: a loop device over an image file, detached when the
// value goes. Making one takes root and a machine that lends loop devices.
class LoopDevice {
public:
    enum class Access { readOnly, readWrite };

    // Attaches `image`; nothing, with the reason in `failure` (losetup's own
    // words), when it cannot.
    static std::optional<LoopDevice> attach(const std::string& image, Access access, std::string& failure);

    LoopDevice(LoopDevice&& other) noexcept;
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    LoopDevice& operator=(LoopDevice&&) = delete;
    ~LoopDevice();

    const std::string& path() const { return path_; }

private:
    explicit LoopDevice(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

// A file system mounted on a folder, unmounted when the value goes (or
// before, by unmount()).
class MountedFileSystem {
public:
    // Mounts `device` on the folder `mountPoint`, which must exist; nothing,
    // with mount's own words in `failure`, when it cannot.
    static std::optional<MountedFileSystem> mount(const std::string& device, const std::string& mountPoint,
                                                  std::string& failure);

    MountedFileSystem(MountedFileSystem&& other) noexcept;
    MountedFileSystem(const MountedFileSystem&) = delete;
    MountedFileSystem& operator=(const MountedFileSystem&) = delete;
    MountedFileSystem& operator=(MountedFileSystem&&) = delete;
    ~MountedFileSystem();

    // True when it was mounted and is now unmounted.
    bool unmount();

private:
    explicit MountedFileSystem(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {}
    std::string mountPoint_;
};

}  // namespace zorv::testing

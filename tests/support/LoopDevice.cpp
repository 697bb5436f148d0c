#include "support/LoopDevice.hpp"

#include <unistd.h>

#include <filesystem>

#include "support/RunCommand.hpp"

namespace zorv::testing {

std::string systemProgram(const std::string& name) {
    if (isCommandAvailable(name)) return name;
    for (const char* folder : {"/usr/sbin/", "/sbin/"}) {
        const std::string path = folder + name;
        if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

std::optional<LoopDevice> LoopDevice::attach(const std::string& image, Access access, std::string& failure) {
    const std::string losetup = systemProgram("losetup");
    if (losetup.empty()) {
        failure = "losetup is not installed";
        return std::nullopt;
    }
    std::vector<std::string> command{losetup, "--find", "--show"};
    if (access == Access::readOnly) command.push_back("--read-only");
    command.push_back(image);
    const CommandResult result = runCommand(command);
    if (result.exitStatus != 0 || !result.output.starts_with("/dev/")) {
        failure = result.output;
        return std::nullopt;
    }
    return LoopDevice(result.output.substr(0, result.output.find('\n')));
}

LoopDevice::LoopDevice(LoopDevice&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }

LoopDevice::~LoopDevice() {
    if (!path_.empty()) runCommand({systemProgram("losetup"), "--detach", path_});
}

std::optional<MountedFileSystem> MountedFileSystem::mount(const std::string& device, const std::string& mountPoint,
                                                          std::string& failure) {
    const std::string program = systemProgram("mount");
    if (program.empty()) {
        failure = "mount is not installed";
        return std::nullopt;
    }
    const CommandResult result = runCommand({program, device, mountPoint});
    if (result.exitStatus != 0) {
        failure = result.output;
        return std::nullopt;
    }
    return MountedFileSystem(mountPoint);
}

MountedFileSystem::MountedFileSystem(MountedFileSystem&& other) noexcept : mountPoint_(std::move(other.mountPoint_)) {
    other.mountPoint_.clear();
}

MountedFileSystem::~MountedFileSystem() { unmount(); }

bool MountedFileSystem::unmount() {
    if (mountPoint_.empty()) return false;
    const bool unmounted = runCommand({systemProgram("umount"), mountPoint_}).exitStatus == 0;
    mountPoint_.clear();
    return unmounted;
}

}  // namespace zorv::testing

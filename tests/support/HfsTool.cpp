#include "support/HfsTool.hpp"

#include <fstream>
#include <stdexcept>

#include "support/RunCommand.hpp"

namespace zorv::testing {

bool HfsTool::isAvailable() {
    for (const char* tool : {"hformat", "hmount", "humount", "hmkdir", "hcopy", "hattrib", "hdel", "hls"}) {
        if (!isCommandAvailable(tool)) return false;
    }
    return true;
}

std::string HfsTool::run(const std::vector<std::string>& arguments) {
    const CommandResult result = runCommand(arguments, {{"HOME", home_.path().string()}});
    if (result.exitStatus != 0) {
        std::string command;
        for (const auto& argument : arguments) command += argument + " ";
        throw std::runtime_error(command + "failed (" + std::to_string(result.exitStatus) + "): " + result.output);
    }
    return result.output;
}

void HfsTool::formatNewImage(const std::string& imagePath, const std::string& volumeName, int64_t sizeInBytes) {
    {
        std::ofstream image(imagePath, std::ios::binary | std::ios::trunc);
        const std::string zeros(static_cast<size_t>(sizeInBytes), '\0');
        image.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
        if (!image) throw std::runtime_error("cannot write " + imagePath);
    }
    run({"hformat", "-l", volumeName, imagePath});
}

void HfsTool::mount(const std::string& imagePath) { run({"hmount", imagePath}); }
void HfsTool::unmount() { run({"humount"}); }
void HfsTool::makeFolder(const std::string& hfsPath) { run({"hmkdir", hfsPath}); }
void HfsTool::copyIn(const std::string& hostPath, const std::string& hfsPath) {
    run({"hcopy", "-r", hostPath, hfsPath});
}
void HfsTool::remove(const std::string& hfsPath) { run({"hdel", hfsPath}); }

void HfsTool::setTypeAndCreator(const std::string& hfsPath, const std::string& type, const std::string& creator) {
    run({"hattrib", "-t", type, "-c", creator, hfsPath});
}

std::string HfsTool::recursiveListing() { return run({"hls", "-R", "-l", "-a"}); }

}  // namespace zorv::testing

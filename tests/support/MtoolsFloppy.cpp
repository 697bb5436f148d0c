#include "support/MtoolsFloppy.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "support/HostFiles.hpp"
#include "support/RunCommand.hpp"

namespace zorv::testing {
namespace {

// mtools refuses images whose geometry it finds odd unless told not to check.
const std::map<std::string, std::string> mtoolsEnvironment{{"MTOOLS_SKIP_CHECK", "1"}};

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "1 457 152" (mdir groups digits by three with spaces).
int64_t groupedNumber(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digits += c;
    }
    return digits.empty() ? -1 : std::stoll(digits);
}

}  // namespace

MdirListing MdirListing::parse(const std::string& text) {
    MdirListing listing;
    std::istringstream lines(text);
    std::string line;
    std::string folder;
    const std::string directoryMark = "Directory for ::";
    while (std::getline(lines, line)) {
        if (line.starts_with(directoryMark)) {
            folder = line.substr(directoryMark.size());
            if (folder.empty() || folder.back() != '/') folder += '/';
            continue;
        }
        if (line.find(" bytes free") != std::string::npos) {
            listing.freeBytes = groupedNumber(line.substr(0, line.find(" bytes free")));
            continue;
        }
        // An entry: the name in columns 0-7, the extension in 9-11, then the
        // size or <DIR> and the date.
        if (line.size() < 13 || line[0] == ' ' || line.find(" 20") == std::string::npos) continue;
        if (line.find("Volume") == 1) continue;
        // The 8.3 name as stored: mdir shows lower-case flags as lower case.
        std::string shortName = line.substr(0, 12);
        std::transform(shortName.begin(), shortName.end(), shortName.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const std::string name = trimmed(shortName.substr(0, 8));
        const std::string extension = trimmed(shortName.substr(9, 3));
        if (name == "." || name == "..") continue;
        std::istringstream rest(line.substr(12));
        std::string sizeOrFolder;
        rest >> sizeOrFolder;
        Item item;
        item.isFolder = sizeOrFolder == "<DIR>";
        item.size = item.isFolder ? 0 : std::stoll(sizeOrFolder);
        listing.items[folder + name + (extension.empty() ? "" : "." + extension)] = item;
    }
    return listing;
}

bool MtoolsFloppy::isAvailable() {
    return isCommandAvailable("mformat") && isCommandAvailable("mcopy") && isCommandAvailable("mdir");
}

bool MtoolsFloppy::isHmsaAvailable() { return isCommandAvailable("hmsa"); }

MtoolsFloppy::MtoolsFloppy(std::string imagePath, int tracks, int sides, int sectors,
                           const std::vector<std::string>& formatOptions)
    : imagePath_(std::move(imagePath)) {
    std::vector<std::string> arguments{"mformat", "-a", "-C", "-t", std::to_string(tracks), "-h",
                                       std::to_string(sides), "-s", std::to_string(sectors)};
    arguments.insert(arguments.end(), formatOptions.begin(), formatOptions.end());
    arguments.insert(arguments.end(), {"-i", imagePath_, "::"});
    run(arguments);
}

MtoolsFloppy MtoolsFloppy::existing(std::string imagePath) { return MtoolsFloppy(Existing{}, std::move(imagePath)); }

void MtoolsFloppy::makeFolder(const std::string& path) const { run({"mmd", "-i", imagePath_, "::" + path}); }

void MtoolsFloppy::makeFolders(const std::vector<std::string>& paths) const {
    std::vector<std::string> arguments{"mmd", "-i", imagePath_};
    for (const std::string& path : paths) arguments.push_back("::" + path);
    run(arguments);
}

void MtoolsFloppy::copyIn(const Bytes& bytes, const std::string& path) const {
    const std::string hostFile = imagePath_ + ".file";
    writeFileBytes(hostFile, bytes);
    run({"mcopy", "-i", imagePath_, hostFile, "::" + path});
    std::filesystem::remove(hostFile);
}

void MtoolsFloppy::remove(const std::string& path) const { run({"mdel", "-i", imagePath_, "::" + path}); }

MdirListing MtoolsFloppy::listing() const {
    // `mdir -/` fails on an empty root directory; plain mdir lists it.
    const CommandResult recursive = runCommand({"mdir", "-/", "-a", "-i", imagePath_, "::"}, mtoolsEnvironment);
    if (recursive.exitStatus == 0) return MdirListing::parse(recursive.output);
    return MdirListing::parse(run({"mdir", "-a", "-i", imagePath_, "::"}));
}

std::string MtoolsFloppy::packedAsMSA() const {
    const std::filesystem::path image(imagePath_);
    const std::string msa = (image.parent_path() / (image.stem().string() + ".msa")).string();
    // hmsa writes the file beside the image, and may exit with 1 when it did.
    const CommandResult result = runCommand({"hmsa", imagePath_});
    if (!std::filesystem::is_regular_file(msa)) throw std::runtime_error("hmsa failed: " + result.output);
    return msa;
}

void MtoolsFloppy::writeBlankMSA(const std::string& msaPath, int sides) {
    const CommandResult result = runCommand({"hmsa", msaPath, sides == 1 ? "SS" : "DS"});
    if (!std::filesystem::is_regular_file(msaPath)) throw std::runtime_error("hmsa failed: " + result.output);
}

std::string MtoolsFloppy::run(const std::vector<std::string>& arguments) const {
    const CommandResult result = runCommand(arguments, mtoolsEnvironment);
    if (result.exitStatus != 0) throw std::runtime_error(arguments[0] + " failed: " + result.output);
    return result.output;
}

}  // namespace zorv::testing

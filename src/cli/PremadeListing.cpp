#include "cli/PremadeListing.hpp"

namespace zorv::cli {
namespace {

constexpr const char* floppyDisk = "\U0001F4BE";
constexpr const char* speechBalloon = "\U0001F4AC";

// One print of the listing: the text and the line feed every print ends with.
void print(std::string& listing, const std::string& text) { listing += text + "\n"; }

}  // namespace

std::string premadeListing(const Manifest& manifest, bool detailed) {
    std::string listing;
    print(listing, "Premade Images:");
    for (const ManifestImageSet& set : manifest.sortedSets()) {
        const size_t volumeCount = set.sortedVolumes().size();
        if (detailed) print(listing, std::string(80, '-') + "\n");

        std::string summary;
        if (detailed) {
            for (size_t volume = 0; volume < volumeCount; ++volume) summary += std::string(floppyDisk) + " ";
        }
        summary += "\"" + set.reference() + "\": " + set.setName() + " (" + std::to_string(volumeCount) + " volume" +
                   (volumeCount == 1 ? "" : "s") + ")";
        print(listing, summary);

        if (detailed) {
            print(listing,
                  "Computer Class: " + set.computerClass() + "\nLanguage: " + set.presentableLanguage() + "\n");
            print(listing, std::string(speechBalloon) + " " + set.description() + "\n\nSupported Machines: " +
                               set.supportedMachines() + "\n");
        }
    }
    return listing;
}

}  // namespace zorv::cli

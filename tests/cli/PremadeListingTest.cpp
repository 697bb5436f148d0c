#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/PremadeListing.hpp"
#include "cli/PremadeServerFolder.hpp"
#include "cli/ZorvProcess.hpp"
#include "remote_image/Manifest.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {
namespace {

const std::string floppy = "\xF0\x9F\x92\xBE";  // U+1F4BE
const std::string balloon = "\xF0\x9F\x92\xAC";  // U+1F4AC
const std::string rule = std::string(80, '-');

std::string volumeAt(int64_t order) { return manifestVolume(819200, "HFS", order, "https://example.invalid/v.img"); }

// Three sets, in document order not in display order: display order is by
// set name, then language.
std::vector<ManifestSet> sampleSets() {
    return {
        {"System", "sys", "fr", "68k", "Système 7.5.3 en français", "Mac II, Quadra", {volumeAt(2), volumeAt(1)}},
        {"Apps", "apps", "multi", "PPC", "", "Power Macintosh", {}},
        {"Games", "games", "en", "68k", "Two lines\nof description", "Any", {volumeAt(1)}},
    };
}

const std::string sampleShortListing =
    "Premade Images:\n"
    "\"apps-multi\": Apps (0 volumes)\n"
    "\"games-en\": Games (1 volume)\n"
    "\"sys-fr\": System (2 volumes)\n";

const std::string sampleDetailedListing =
    "Premade Images:\n" +
    rule + "\n\n"
    "\"apps-multi\": Apps (0 volumes)\n"
    "Computer Class: PPC\nLanguage: International\n\n" +
    balloon + " \n\nSupported Machines: Power Macintosh\n\n" +
    rule + "\n\n" +
    floppy + " \"games-en\": Games (1 volume)\n"
    "Computer Class: 68k\nLanguage: English\n\n" +
    balloon + " Two lines\nof description\n\nSupported Machines: Any\n\n" +
    rule + "\n\n" +
    floppy + " " + floppy + " \"sys-fr\": System (2 volumes)\n"
    "Computer Class: 68k\nLanguage: French\n\n" +
    balloon + " Système 7.5.3 en français\n\nSupported Machines: Mac II, Quadra\n\n";

Manifest decoded(const std::string& document) {
    return Manifest::decode(ByteView(reinterpret_cast<const uint8_t*>(document.data()), document.size()));
}

TEST(PremadeListingTest, ListsTheSetsInDisplayOrder) {
    const Manifest manifest = decoded(manifestDocument(sampleSets()));
    EXPECT_EQ(cli::premadeListing(manifest, false), sampleShortListing);
    EXPECT_EQ(cli::premadeListing(manifest, true), sampleDetailedListing);
}

TEST(PremadeListingTest, AManifestWithoutSetsListsOnlyTheTitle) {
    EXPECT_EQ(cli::premadeListing(decoded("[]"), false), "Premade Images:\n");
    EXPECT_EQ(cli::premadeListing(decoded("[]"), true), "Premade Images:\n");
}

// The listings as the command prints them, the manifest read from a file URL
// named by ZORV_PREMADE_SERVER.
class PremadeListingCommandTest : public ::testing::Test {
protected:
    ZorvRun zorv(const std::vector<std::string>& options) {
        std::vector<std::string> arguments{"create", "mac-device-partitioned"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runZorvBinary(arguments, workingFolder.path());
    }
    bool wroteNothing() const { return std::filesystem::is_empty(workingFolder.path()); }

    PremadeServerFolder server;
    ScopedEnvironmentVariable premadeServer{"ZORV_PREMADE_SERVER", server.fileBaseURL()};
    TemporaryDirectory workingFolder;
};

TEST_F(PremadeListingCommandTest, PrintsEitherListing) {
    server.writeManifest(manifestDocument(sampleSets()));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--list-premade"}, sampleShortListing},
        {{"--list-premade-detailed"}, sampleDetailedListing},
        // Both flags: the detailed listing, once.
        {{"--list-premade", "--list-premade-detailed"}, sampleDetailedListing},
        {{"--list-premade-detailed", "--list-premade"}, sampleDetailedListing},
        // A listing checks nothing else and reads no layout.
        {{"--list-premade", "--scsi-id", "9"}, sampleShortListing},
        {{"--list-premade", "-s", "-1", "--config-file", "absent.json"}, sampleShortListing},
        {{"--list-premade", "--partitions", R"([{"blankHFS": 1}])", "device.hda"}, sampleShortListing},
        {{"--list-premade", "--partitions", "[]", "--config-file", "absent.json"}, sampleShortListing},
    };
    for (const auto& [options, listing] : cases) {
        const auto run = zorv(options);
        EXPECT_EQ(run.exitStatus, 0) << options.front();
        EXPECT_EQ(run.out, listing);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(wroteNothing());
    }
}

TEST_F(PremadeListingCommandTest, AnEmptyManifestPrintsOnlyTheTitle) {
    server.writeManifest("[]");
    const auto run = zorv({"--list-premade-detailed"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Premade Images:\n");
}

TEST_F(PremadeListingCommandTest, AFailedFetchOrDecodingPrintsNothingButTheError) {
    const std::vector<std::pair<std::string, std::string>> cases{
        // No manifest at all: the file is missing.
        {"", "Error: " + (server.path() / "files" / "resources" / "manifest.json").string() +
                ": No such file or directory\n"},
        {"[{\"setName\": 5}]", "Error: typeMismatch(\"[0].setName: expected a string, found 5\")\n"},
        {"{}", "Error: typeMismatch(\"expected an array, found an object\")\n"},
    };
    for (const auto& [document, error] : cases) {
        if (!document.empty()) server.writeManifest(document);
        const auto run = zorv({"--list-premade"});
        EXPECT_EQ(run.exitStatus, 1) << document;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, error);
        EXPECT_TRUE(wroteNothing());
    }
    std::filesystem::remove(server.path() / "files" / "resources" / "manifest.json");
    std::filesystem::create_directory(server.path() / "files" / "resources" / "manifest.json");
    const auto folder = zorv({"--list-premade-detailed"});
    EXPECT_EQ(folder.exitStatus, 1);
    EXPECT_EQ(folder.out, "");
}

TEST_F(PremadeListingCommandTest, AServerAddressOfTheWrongFormIsAnError) {
    ScopedEnvironmentVariable badServer{"ZORV_PREMADE_SERVER", "ftp://example.invalid"};
    const auto run = zorv({"--list-premade"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error: invalidBaseURL(\"ftp://example.invalid\")\n");
}

}  // namespace
}  // namespace zorv::testing

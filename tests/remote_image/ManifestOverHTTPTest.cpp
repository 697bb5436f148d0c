#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "remote_image/LoopbackHTTPServer.hpp"
#include "remote_image/Manifest.hpp"
#include "remote_image/ManifestItemError.hpp"
#include "remote_image/PremadeServer.hpp"
#include "remote_image/WebFetchError.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::LoopbackHTTPServer;
using testing::TemporaryDirectory;

void writeFile(const std::filesystem::path& path, std::string_view contents) { std::ofstream(path, std::ios::binary) << contents; }

std::string volumeBytes(char fill, size_t size) { return std::string(size, fill); }

// Serves two premade sets under /mirror: the manifest at the fixed path and
// the volume images under /mirror/volumes.
class ManifestOverHTTP : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files_ = std::make_unique<TemporaryDirectory>();
        server_ = std::make_unique<LoopbackHTTPServer>(files_->path());
        if (server_->status() != LoopbackHTTPServer::Status::running) return;

        const auto mirror = files_->path() / "mirror";
        std::filesystem::create_directories(mirror / "files" / "resources");
        std::filesystem::create_directories(mirror / "volumes");
        writeFile(mirror / "volumes" / "system.img", volumeBytes('S', 2048));
        writeFile(mirror / "volumes" / "apps.img", volumeBytes('A', 1536));
        writeFile(mirror / "volumes" / "prodos.po", volumeBytes('P', 1000));
        const std::string volumes = server_->baseURL() + "/mirror/volumes/";
        const std::string localFile = "file://" + (mirror / "volumes" / "system.img").string();
        writeFile(mirror / "files" / "resources" / "manifest.json", R"([
          {"setName": "System 7", "setReference": "sys7", "language": "de", "computerClass": "68k", "description": "", "supportedMachines": "",
           "volumes": [
             {"sizeInBytes": 1536, "fileSystem": "HFS", "order": 2, "url": ")" + volumes + R"(apps.img"},
             {"sizeInBytes": 2048, "fileSystem": "HFS", "order": 1, "url": ")" + server_->baseURL() + "/redirect?/mirror/volumes/system.img" + R"("},
             {"sizeInBytes": 1000, "fileSystem": "ProDOS", "order": 3, "url": ")" + volumes + R"(prodos.po"}
           ]},
          {"setName": "Apple II", "setReference": "a2", "language": "en", "computerClass": "Apple II", "description": "", "supportedMachines": "",
           "volumes": [{"sizeInBytes": 2048, "fileSystem": "HFS", "order": 1, "url": ")" + localFile + R"("},
                       {"sizeInBytes": 0, "fileSystem": "HFS", "order": 2, "url": ")" + volumes + R"(gone.img"}]}
        ])");
    }
    static void TearDownTestSuite() {
        server_.reset();
        files_.reset();
    }
    void SetUp() override {
        if (server_->status() == LoopbackHTTPServer::Status::noPython) GTEST_SKIP() << "python3 is needed for the loopback web server";
        ASSERT_EQ(server_->status(), LoopbackHTTPServer::Status::running) << server_->failure();
    }

    static PremadeServer mirror() { return PremadeServer::withBaseURL(server_->baseURL() + "/mirror"); }

    static inline std::unique_ptr<TemporaryDirectory> files_;
    static inline std::unique_ptr<LoopbackHTTPServer> server_;
};

TEST_F(ManifestOverHTTP, FetchesTheManifestAndASetsVolumesInOrder) {
    const Manifest manifest = Manifest::withURLString(mirror().manifestURLString());
    ASSERT_EQ(manifest.sortedSets().size(), 2u);
    EXPECT_EQ(manifest.sortedSets()[0].reference(), "a2-en");
    EXPECT_EQ(manifest.sortedSets()[1].reference(), "sys7-de");

    const ManifestImageSet& set = manifest.setForReference("sys7-de");
    std::vector<std::string> bodies;
    for (const ManifestImage& volume : set.sortedVolumes()) {
        EXPECT_FALSE(volume.fromLocalManifest());
        const ImageBytes bytes = volume.download();
        bodies.push_back(std::string(bytes.begin(), bytes.end()));
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{volumeBytes('S', 2048), volumeBytes('A', 1536), volumeBytes('P', 1000)}));
}

TEST_F(ManifestOverHTTP, AManifestFromTheWebCannotNameLocalFiles) {
    const Manifest manifest = Manifest::withURLString(mirror().manifestURLString());
    const auto volumes = manifest.setForReference("a2-en").sortedVolumes();
    testing::expectError<ManifestItemError>(ManifestItemError::Case::refusedVolumeURL, [&] { volumes[0].download(); });
    try {
        volumes[1].download();
        ADD_FAILURE();
    } catch (const WebFetchError& error) {
        EXPECT_EQ(error.httpStatus, 404);
    }
}

TEST_F(ManifestOverHTTP, AMissingManifestIsAFailedFetch) {
    try {
        Manifest::withURLString(PremadeServer::withBaseURL(server_->baseURL()).manifestURLString());
        ADD_FAILURE();
    } catch (const WebFetchError& error) {
        EXPECT_EQ(error.kind, WebFetchError::Kind::httpStatus);
        EXPECT_EQ(error.what(), server_->baseURL() + "/files/resources/manifest.json: the server answered with HTTP status 404");
    }
}

}  // namespace
}  // namespace zorv

#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::testing {

// Sets an environment variable for the life of the value (the zorv processes
// the tests start inherit it), then puts back what was there.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) previous_ = old;
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironmentVariable() {
        if (previous_) {
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// One volume object of a manifest; `url` as the document gives it.
inline std::string manifestVolume(int64_t sizeInBytes, const std::string& fileSystem, int64_t order,
                                  const std::string& url) {
    return R"({"sizeInBytes": )" + std::to_string(sizeInBytes) + R"(, "fileSystem": ")" + fileSystem +
           R"(", "order": )" + std::to_string(order) + R"(, "url": ")" + url + "\"}";
}

// One set object of a manifest, with its volume objects.
struct ManifestSet {
    std::string setName;
    std::string setReference;
    std::string language;
    std::string computerClass = "68k";
    std::string description;
    std::string supportedMachines;
    std::vector<std::string> volumes;

    std::string json() const {
        std::string volumeArray;
        for (const auto& volume : volumes) volumeArray += (volumeArray.empty() ? "" : ", ") + volume;
        return objectWith(volumeArray);
    }

private:
    // Texts are written as JSON strings; the tests' texts need escaping of
    // quotes, backslashes and line feeds only.
    static std::string quoted(const std::string& text) {
        std::string result = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') {
                result += '\\';
                result += c;
            } else if (c == '\n') {
                result += "\\n";
            } else {
                result += c;
            }
        }
        return result + "\"";
    }
    std::string objectWith(const std::string& volumeArray) const {
        return "{\"setName\": " + quoted(setName) + ", \"setReference\": " + quoted(setReference) +
               ", \"language\": " + quoted(language) + ", \"computerClass\": " + quoted(computerClass) +
               ", \"description\": " + quoted(description) + ", \"supportedMachines\": " +
               quoted(supportedMachines) + ", \"volumes\": [" + volumeArray + "]}";
    }
};

inline std::string manifestDocument(const std::vector<ManifestSet>& sets) {
    std::string document = "[";
    for (const auto& set : sets) document += (document.size() > 1 ? ",\n" : "\n") + set.json();
    return document + "\n]";
}

// A premade server held in a temporary folder: the manifest at the fixed path
// files/resources/manifest.json and volume files under volumes/. Point
// ZORV_PREMADE_SERVER at fileBaseURL(), or serve the folder over loopback
// HTTP and point it at the server.
class PremadeServerFolder {
public:
    PremadeServerFolder() { std::filesystem::create_directories(folder_.path() / "files" / "resources"); }

    const std::filesystem::path& path() const { return folder_.path(); }
    // "file:///tmp/zorv-test-XXXXXX".
    std::string fileBaseURL() const { return "file://" + folder_.path().string(); }

    void writeManifest(const std::string& document) const {
        std::ofstream(folder_.path() / "files" / "resources" / "manifest.json", std::ios::binary) << document;
    }
    // Writes volumes/<name> and returns its path from the folder's root,
    // "/volumes/<name>", to be put after a base URL.
    std::string addVolume(const std::string& name, const Bytes& bytes) const {
        std::filesystem::create_directories(folder_.path() / "volumes");
        std::ofstream file(folder_.path() / "volumes" / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return "/volumes/" + name;
    }

private:
    TemporaryDirectory folder_;
};

}  // namespace zorv::testing

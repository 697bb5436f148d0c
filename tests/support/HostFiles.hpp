#pragma once

#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// What a test finds on the host after writing files there, read with the
// C library directly rather than through the code under test.

// Every regular file below `folder`, as paths relative to it.
inline std::set<std::string> regularFilesBelow(const std::filesystem::path& folder) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(folder).string());
    }
    return files;
}

inline Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Writes a host file directly, as another program would have left it.
inline void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The value of an extended attribute under its full Linux name
// ("user.com.apple.FinderInfo"), or nothing when the file has none.
inline std::optional<Bytes> attributeValue(const std::filesystem::path& path, const std::string& name) {
    const ssize_t size = ::getxattr(path.c_str(), name.c_str(), nullptr, 0);
    if (size < 0) return std::nullopt;
    Bytes value(static_cast<size_t>(size));
    if (::getxattr(path.c_str(), name.c_str(), value.data(), value.size()) != size) return std::nullopt;
    return value;
}

// The file's modification time in whole seconds since 1970.
inline int64_t modificationSeconds(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return INT64_MIN;
    return static_cast<int64_t>(info.st_mtim.tv_sec);
}

}  // namespace zorv::testing

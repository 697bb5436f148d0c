#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorv {

// A location: a file on the local disk or a web resource. File URLs keep
// their path as given; `hasDirectoryPath` is the URL's own flag (a path ending
// in "/"), which fileURLWithPath sets for an existing directory.
class URL {
public:
    // A file URL. A relative path is taken from the current directory; a path
    // naming an existing directory gets a trailing separator.
    static URL fileURLWithPath(std::string path);
    // Parses "scheme://rest" (http, https, file...); nothing for text without
    // a scheme.
    static std::optional<URL> parse(std::string_view text);

    const std::string& scheme() const { return scheme_; }
    bool isFileURL() const { return scheme_ == "file"; }
    bool hasDirectoryPath() const;
    // The file-system path of a file URL (the part after "://" for others).
    const std::string& path() const { return path_; }
    std::string absoluteString() const;
    std::string lastPathComponent() const;
    URL deletingLastPathComponent() const;
    URL appendingPathComponent(std::string_view component) const;

    friend bool operator==(const URL&, const URL&) = default;

private:
    URL(std::string scheme, std::string path) : scheme_(std::move(scheme)), path_(std::move(path)) {}

    std::string scheme_;
    std::string path_;
};

}  // namespace zorv

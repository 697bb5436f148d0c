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
    // The path as it was given to fileURLWithPath, relative or not: the name
    // the user typed, for messages about the file. The same as path() for
    // other URLs.
    const std::string& relativePath() const { return relativePath_.empty() ? path_ : relativePath_; }
    std::string absoluteString() const;
    std::string lastPathComponent() const;
    URL deletingLastPathComponent() const;
    URL appendingPathComponent(std::string_view component) const;

    // Two URLs are equal when they locate the same thing, however the path
    // was spelled.
    friend bool operator==(const URL& left, const URL& right) {
        return left.scheme_ == right.scheme_ && left.path_ == right.path_;
    }

private:
    URL(std::string scheme, std::string path, std::string relativePath = {})
        : scheme_(std::move(scheme)), path_(std::move(path)), relativePath_(std::move(relativePath)) {}

    std::string scheme_;
    std::string path_;
    std::string relativePath_;  // empty: as path_
};

}  // namespace zorv

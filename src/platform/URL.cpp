#include "platform/URL.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

namespace zorv {

URL URL::fileURLWithPath(std::string path) {
    std::string given = path;
    if (path.empty() || path.front() != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) != nullptr) {
            std::string base = cwd;
            if (base.back() != '/') base += '/';
            path = base + path;
        }
    }
    struct stat info {};
    if (path.back() != '/' && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) path += '/';
    return URL("file", std::move(path), std::move(given));
}

std::optional<URL> URL::parse(std::string_view text) {
    const auto separator = text.find("://");
    if (separator == std::string_view::npos || separator == 0) return std::nullopt;
    std::string scheme(text.substr(0, separator));
    for (char& c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return URL(std::move(scheme), std::string(text.substr(separator + 3)));
}

bool URL::hasDirectoryPath() const { return !path_.empty() && path_.back() == '/'; }

std::string URL::absoluteString() const { return scheme_ + "://" + path_; }

std::string URL::lastPathComponent() const {
    std::string trimmed = path_;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

URL URL::deletingLastPathComponent() const {
    std::string trimmed = path_;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return URL(scheme_, "./");
    return URL(scheme_, trimmed.substr(0, slash + 1));
}

URL URL::appendingPathComponent(std::string_view component) const {
    std::string path = path_;
    if (!path.empty() && path.back() != '/') path += '/';
    path += component;
    return URL(scheme_, std::move(path));
}

}  // namespace zorv

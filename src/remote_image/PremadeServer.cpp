#include "remote_image/PremadeServer.hpp"

#include <cctype>
#include <cstdlib>
#include <optional>

#include "remote_image/PremadeServerError.hpp"

namespace zorv {
namespace {

std::string lowercased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool isHostCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'; }

// "host", "host:port", "[v6]" or "[v6]:port".
bool isValidAuthority(std::string_view authority) {
    std::string_view host = authority;
    std::optional<std::string_view> port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        for (char c : authority.substr(1, close - 1)) {
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
        }
        host = {};
        const auto rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port = rest.substr(1);
        }
    } else {
        const auto colon = authority.find(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            port = authority.substr(colon + 1);
        }
        if (host.empty() || host.front() == '.' || host.front() == '-') return false;
        for (char c : host) {
            if (!isHostCharacter(c)) return false;
        }
    }
    if (port) {
        if (port->empty() || port->size() > 5) return false;
        long value = 0;
        for (char c : *port) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535) return false;
    }
    return true;
}

// A character a web URL's path may hold as it is; anything else must be
// percent-escaped.
bool isWebPathCharacter(char c) {
    if (std::isalnum(static_cast<unsigned char>(c))) return true;
    return std::string_view("-._~!$&'()*+,;=:@/%").find(c) != std::string_view::npos;
}

// An empty prefix, or "/segment/segment..." with no empty, "." or ".."
// segment and no trailing slash. File paths may hold any character but
// controls, "?" and "#"; web paths only URL characters and valid escapes.
bool isValidPathPrefix(std::string_view prefix, bool web) {
    if (prefix.empty()) return true;
    if (prefix.front() != '/') return false;
    for (size_t index = 0; index < prefix.size(); ++index) {
        const auto c = static_cast<unsigned char>(prefix[index]);
        if (c < 0x20 || c == 0x7F || c == '?' || c == '#') return false;
        if (!web) continue;
        if (!isWebPathCharacter(static_cast<char>(c))) return false;
        if (c == '%' && (index + 2 >= prefix.size() || !std::isxdigit(static_cast<unsigned char>(prefix[index + 1])) ||
                         !std::isxdigit(static_cast<unsigned char>(prefix[index + 2])))) {
            return false;
        }
    }
    for (size_t start = 1;;) {
        const auto end = prefix.find('/', start);
        const std::string_view segment = prefix.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

std::optional<std::string> normalisedBaseURL(std::string_view text) {
    const auto separator = text.find("://");
    if (separator == std::string_view::npos) return std::nullopt;
    const std::string scheme = lowercased(text.substr(0, separator));
    const std::string_view rest = text.substr(separator + 3);
    const auto slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    const std::string_view prefix = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);

    if (scheme == "http" || scheme == "https") {
        if (!isValidAuthority(authority) || !isValidPathPrefix(prefix, true)) return std::nullopt;
    } else if (scheme == "file") {
        if (!authority.empty() && lowercased(authority) != "localhost") return std::nullopt;
        authority = {};
        if (prefix.empty() || !isValidPathPrefix(prefix, false)) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return scheme + "://" + std::string(authority) + std::string(prefix);
}

}  // namespace

PremadeServer PremadeServer::builtIn() { return PremadeServer(std::string(builtInBaseURL)); }

PremadeServer PremadeServer::withBaseURL(std::string_view text) {
    auto base = normalisedBaseURL(text);
    if (!base) throw PremadeServerError(PremadeServerError::Case::invalidBaseURL, text);
    return PremadeServer(std::move(*base));
}

PremadeServer PremadeServer::fromEnvironment() {
    const char* value = std::getenv(environmentVariable);
    if (value == nullptr || *value == '\0') return builtIn();
    return withBaseURL(value);
}

}  // namespace zorv

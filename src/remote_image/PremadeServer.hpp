#pragma once

#include <string>
#include <string_view>

namespace zorv {

// The server of the premade volume catalog. Its base URL is built in and can
// be replaced through the environment variable ZORV_PREMADE_SERVER; the
// manifest lies at the base URL + "/files/resources/manifest.json".
//
// A base URL is a scheme (http, https or file), "://", a host with an
// optional port (none, or "localhost", for file), then an optional path
// prefix, with no trailing slash, query or fragment:
// "https://files.zorv.dev", "http://127.0.0.1:8080/mirror",
// "file:///srv/zorv".
class PremadeServer {
public:
    static constexpr std::string_view builtInBaseURL = "https://files.zorv.dev";
    static constexpr std::string_view manifestPath = "/files/resources/manifest.json";
    static constexpr const char* environmentVariable = "ZORV_PREMADE_SERVER";

    static PremadeServer builtIn();
    // Throws PremadeServerError invalidBaseURL carrying the text when it is
    // not a base URL of the form above.
    static PremadeServer withBaseURL(std::string_view text);
    // ZORV_PREMADE_SERVER when it is set and not empty, the built-in server
    // otherwise. Throws as withBaseURL() for a value of the wrong form.
    static PremadeServer fromEnvironment();

    // The base URL, with the scheme in small letters and a "localhost" file
    // host dropped.
    const std::string& baseURL() const { return baseURL_; }
    std::string manifestURLString() const { return baseURL_ + std::string(manifestPath); }

private:
    explicit PremadeServer(std::string baseURL) : baseURL_(std::move(baseURL)) {}

    std::string baseURL_;
};

}  // namespace zorv

#pragma once

#include <stdexcept>
#include <string>

namespace zorv {

// A web fetch that failed: the counterpart of the platform's own fetch error,
// so it carries a description of its own, "<url>: <reason>". File URLs fail
// with std::system_error (the file system's error) instead.
class WebFetchError : public std::runtime_error {
public:
    enum class Kind {
        unsupportedURL,  // a scheme other than http, https and file, or a file URL on another host
        httpStatus,      // the server answered with a status of 400 or more
        transferFailed,  // no answer: name resolution, connection, TLS, a refused redirect...
    };

    // `detail` is the reason of a transferFailed (libcurl's text); unused otherwise.
    WebFetchError(Kind kind, std::string url, long httpStatus = 0, const std::string& detail = {});

    Kind kind;
    std::string url;
    long httpStatus;
};

}  // namespace zorv

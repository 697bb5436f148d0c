#include "remote_image/WebFetchError.hpp"

namespace zorv {
namespace {

std::string describe(WebFetchError::Kind kind, const std::string& url, long httpStatus, const std::string& detail) {
    switch (kind) {
        case WebFetchError::Kind::unsupportedURL: return url + ": only http, https and local file URLs can be fetched";
        case WebFetchError::Kind::httpStatus: return url + ": the server answered with HTTP status " + std::to_string(httpStatus);
        case WebFetchError::Kind::transferFailed: return url + ": " + detail;
    }
    return url;
}

}  // namespace

WebFetchError::WebFetchError(Kind kind, std::string url, long httpStatus, const std::string& detail)
    : std::runtime_error(describe(kind, url, httpStatus, detail)), kind(kind), url(std::move(url)), httpStatus(httpStatus) {}

}  // namespace zorv

#include "remote_image/WexDownloader.hpp"

#include <curl/curl.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/FileSystem.hpp"
#include "remote_image/CurlLibrary.hpp"
#include "remote_image/WebFetchError.hpp"
#include "remote_image/WexDownloaderError.hpp"

namespace zorv {
namespace {

constexpr long maximumRedirects = 20;
// A transfer that moves less than a byte a second for a minute has stalled.
constexpr long stalledAfterSeconds = 60;
// A server whose address drops connection attempts would otherwise hold a
// fetch, without a word, for libcurl's five minutes or until the kernel gives
// up (about two).
constexpr long connectTimeoutMilliseconds = 30'000;
// A test hook, not a setting for users: a positive number of milliseconds
// that replaces the connect timeout, so that a test of a server that never
// answers need not wait half a minute.
constexpr const char* connectTimeoutTestVariable = "ZORV_TEST_CONNECT_TIMEOUT_MS";

long connectTimeout() {
    const char* text = ::getenv(connectTimeoutTestVariable);
    if (text == nullptr) return connectTimeoutMilliseconds;
    const std::string_view value(text);
    long milliseconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), milliseconds);
    if (error != std::errc() || end != value.data() + value.size() || milliseconds <= 0) {
        return connectTimeoutMilliseconds;
    }
    return milliseconds;
}

// libcurl's functions, for code that only runs once CurlLibrary::get() has
// loaded the library: on an easy or multi handle that exists.
const CurlLibrary& curl() { return *CurlLibrary::get(); }

// Nothing when libcurl could not be loaded.
CURLM* newMultiHandle() {
    const CurlLibrary* library = CurlLibrary::get();
    return library != nullptr ? library->multi_init() : nullptr;
}

struct EasyHandleDeleter {
    void operator()(CURL* easy) const { curl().easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

// The options both paths share. `protocols` are the schemes the URL itself may
// use; redirects may only lead to http and https.
void configure(CURL* easy, const std::string& url, const char* protocols) {
    curl().easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl().easy_setopt(easy, CURLOPT_MAXREDIRS, maximumRedirects);
    curl().easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl().easy_setopt(easy, CURLOPT_USERAGENT, "zorv");
    curl().easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl().easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, stalledAfterSeconds);
    curl().easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectTimeout());
#if LIBCURL_VERSION_NUM >= 0x075500
    curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols);
    curl().easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    long allowed = CURLPROTO_HTTP | CURLPROTO_HTTPS;
    if (std::string_view(protocols).find("file") != std::string_view::npos) allowed |= CURLPROTO_FILE;
    curl().easy_setopt(easy, CURLOPT_PROTOCOLS, allowed);
    curl().easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
}

int64_t expectedLength(CURL* easy) {
    curl_off_t length = -1;
    if (curl().easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
    return length;
}

// --- Blocking path ---

struct BodySink {
    CURL* easy;
    Bytes body;
};

size_t appendToBody(char* chunk, size_t size, size_t count, void* context) {
    auto& sink = *static_cast<BodySink*>(context);
    const size_t length = size * count;
    if (sink.body.empty()) {
        // Reserve what the server announces, within reason: the header may lie.
        const int64_t announced = expectedLength(sink.easy);
        if (announced > 0) sink.body.reserve(static_cast<size_t>(std::min<int64_t>(announced, int64_t{1} << 30)));
    }
    sink.body.insert(sink.body.end(), chunk, chunk + length);
    return length;
}

ImageBytes fetchFromWeb(const URL& url) {
    const std::string text = url.absoluteString();
    if (CurlLibrary::get() == nullptr) throw WebFetchError(WebFetchError::Kind::transferFailed, text, 0, CurlLibrary::loadError());
    EasyHandle easy(curl().easy_init());
    if (!easy) throw WebFetchError(WebFetchError::Kind::transferFailed, text, 0, "libcurl could not start a transfer");
    BodySink sink{easy.get(), {}};
    char failure[CURL_ERROR_SIZE] = {};
    configure(easy.get(), text, "http,https");
    curl().easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, appendToBody);
    curl().easy_setopt(easy.get(), CURLOPT_WRITEDATA, &sink);
    curl().easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, failure);

    const CURLcode result = curl().easy_perform(easy.get());
    if (result == CURLE_HTTP_RETURNED_ERROR) {
        long status = 0;
        curl().easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        throw WebFetchError(WebFetchError::Kind::httpStatus, text, status);
    }
    if (result != CURLE_OK) {
        throw WebFetchError(WebFetchError::Kind::transferFailed, text, 0, failure[0] != '\0' ? failure : curl().easy_strerror(result));
    }
    return ImageBytes(std::move(sink.body));
}

// The local path of a file URL on no host or on "localhost"; nothing for a
// file URL naming another host.
std::optional<std::string> localPath(const URL& url) {
    std::string path = url.path();
    if (path.rfind("localhost/", 0) == 0) path.erase(0, std::string_view("localhost").size());
    if (path.empty() || path.front() != '/') return std::nullopt;
    return path;
}

// --- Asynchronous path ---

// The text of a 32-bit float as Swift's description writes it: the shortest
// digits that read back as the same value, in decimal form with at least one
// fractional digit ("0.5", "1.0", "0.33333334"), or in exponent form
// ("1e-05", "3.3554432e+07") below 0.0001 and above 2^24.
std::string floatText(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return std::signbit(value) ? "-0.0" : "0.0";

    char buffer[48];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    const std::string scientific(buffer, written.ptr);  // "3.3333334e-01"
    const auto e = scientific.find('e');
    std::string digits = scientific.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int exponent = std::stoi(scientific.substr(e + 1));

    std::string text = value < 0 ? "-" : "";
    if (exponent < -4 || std::fabs(value) > 16777216.0f) {
        text += digits.substr(0, 1);
        if (digits.size() > 1) text += "." + digits.substr(1);
        const std::string power = std::to_string(std::abs(exponent));
        text += std::string("e") + (exponent < 0 ? "-" : "+") + (power.size() < 2 ? "0" : "") + power;
    } else if (exponent < 0) {
        text += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto integerDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0') + ".0";
        } else {
            text += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
        }
    }
    return text;
}

std::string percentDecoded(const std::string& text) {
    std::string decoded;
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '%' && index + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[index + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[index + 2]))) {
            decoded += static_cast<char>(std::stoi(text.substr(index + 1, 2), nullptr, 16));
            index += 2;
        } else {
            decoded += text[index];
        }
    }
    return decoded;
}

// The last component of the remote URL's path: without query or fragment and
// with its escapes decoded for a web URL ("http://h/a/System%207.img?x" gives
// "System 7.img"), as written for a file URL.
std::string remoteFileName(const URL& url) {
    std::string path = url.path();
    if (!url.isFileURL()) {
        path = path.substr(0, path.find_first_of("?#"));
        const auto slash = path.find('/');
        path = slash == std::string::npos ? std::string() : path.substr(slash);
    }
    while (!path.empty() && path.back() == '/') path.pop_back();
    std::string name = path.substr(path.rfind('/') + 1);
    return url.isFileURL() ? name : percentDecoded(name);
}

// Moves a file like the file manager does: an existing destination makes the
// move fail. Returns 0 or the errno of the failure.
int moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without RENAME_NOREPLACE: a new link fails on an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

std::string systemTemporaryDirectory() {
    std::error_code error;
    const auto path = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : path.string();
}

}  // namespace

struct WexDownloader::Transfer {
    WexDownloader* owner = nullptr;
    EasyHandle easy;
    int fd = -1;
    std::string temporaryPath;
    int64_t written = 0;

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() {
        if (fd >= 0) ::close(fd);
        // The temporary file goes once the completion has had its chance to move it.
        if (!temporaryPath.empty()) ::unlink(temporaryPath.c_str());
    }

    static size_t writeChunk(char* chunk, size_t size, size_t count, void* context) {
        auto& transfer = *static_cast<Transfer*>(context);
        const size_t length = size * count;
        for (size_t done = 0; done < length;) {
            const ssize_t wrote = ::write(transfer.fd, chunk + done, length - done);
            if (wrote < 0) {
                if (errno == EINTR) continue;
                return 0;  // libcurl ends the transfer with a write error
            }
            done += static_cast<size_t>(wrote);
        }
        transfer.written += static_cast<int64_t>(length);
        transfer.owner->downloadTaskDidWriteData(static_cast<int64_t>(length), transfer.written, expectedLength(transfer.easy.get()));
        return length;
    }
};

struct WexDownloader::Session {
    CURLM* multi;
    std::vector<std::unique_ptr<Transfer>> transfers;

    Session() : multi(newMultiHandle()) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        for (const auto& transfer : transfers) curl().multi_remove_handle(multi, transfer->easy.get());
        transfers.clear();
        if (multi != nullptr) curl().multi_cleanup(multi);
    }
};

WexDownloader::WexDownloader(URL url) : url_(std::move(url)), output_(&std::cout) {}

WexDownloader::~WexDownloader() = default;

void WexDownloader::syncDownload() {
    ImageBytes body;
    const std::string& scheme = url_.scheme();
    if (scheme == "http" || scheme == "https") {
        body = fetchFromWeb(url_);
    } else if (scheme == "file") {
        const auto path = localPath(url_);
        if (!path) throw WebFetchError(WebFetchError::Kind::unsupportedURL, url_.absoluteString());
        body = fs::readWholeFile(*path);
    } else {
        throw WebFetchError(WebFetchError::Kind::unsupportedURL, url_.absoluteString());
    }
    if (body.empty()) throw WexDownloaderError(WexDownloaderError::Case::emptyData);
    data_ = std::move(body);
}

WexDownloader::Session& WexDownloader::session() {
    if (!session_) session_ = std::make_unique<Session>();
    return *session_;
}

void WexDownloader::asyncDownload() {
    Session& session = this->session();
    if (session.multi == nullptr) return;

    auto transfer = std::make_unique<Transfer>();
    transfer->owner = this;
    std::string directory = temporaryDirectory_.empty() ? systemTemporaryDirectory() : temporaryDirectory_;
    if (directory.back() != '/') directory += '/';
    std::string pattern = directory + "zorv-download-XXXXXX.tmp";
    transfer->fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (transfer->fd < 0) return;
    transfer->temporaryPath = pattern;

    transfer->easy.reset(curl().easy_init());
    if (!transfer->easy) return;
    CURL* easy = transfer->easy.get();
    configure(easy, url_.absoluteString(), "http,https,file");
    curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, Transfer::writeChunk);
    curl().easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    if (curl().multi_add_handle(session.multi, easy) != CURLM_OK) return;
    session.transfers.push_back(std::move(transfer));
}

bool WexDownloader::runSession(std::chrono::milliseconds timeout) {
    if (!session_ || session_->multi == nullptr) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int running = 0;
        curl().multi_perform(session_->multi, &running);
        finishTransfers();
        if (session_->transfers.empty()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        curl().multi_poll(session_->multi, nullptr, 0, static_cast<int>(std::clamp<int64_t>(left, 1, 1000)), nullptr);
    }
}

void WexDownloader::finishTransfers() {
    int queued = 0;
    while (CURLMsg* message = curl().multi_info_read(session_->multi, &queued)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;  // the message dies with the handle's removal
        curl().multi_remove_handle(session_->multi, easy);

        auto& transfers = session_->transfers;
        const auto found = std::find_if(transfers.begin(), transfers.end(), [easy](const auto& transfer) { return transfer->easy.get() == easy; });
        if (found == transfers.end()) continue;
        const std::unique_ptr<Transfer> transfer = std::move(*found);
        transfers.erase(found);

        const bool closed = ::close(transfer->fd) == 0;
        transfer->fd = -1;
        if (result == CURLE_OK && closed) downloadTaskDidFinishDownloading(URL::fileURLWithPath(transfer->temporaryPath));
    }
}

void WexDownloader::downloadTaskDidWriteData(int64_t, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite) {
    const float fraction = static_cast<float>(totalBytesWritten) / static_cast<float>(totalBytesExpectedToWrite);
    *output_ << totalBytesExpectedToWrite << '\n' << totalBytesWritten << '\n' << "\"Progress  " << floatText(fraction) << "\"\n" << std::flush;
}

void WexDownloader::downloadTaskDidFinishDownloading(const URL& location) {
    *output_ << location.absoluteString() << '\n';
    const std::string name = remoteFileName(url_);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
        *output_ << "couldn't move " << location.path() << ": " << url_.absoluteString() << " names no file" << '\n' << std::flush;
        return;
    }
    const URL destination = location.deletingLastPathComponent().appendingPathComponent(name);
    if (const int failure = moveWithoutReplacing(location.path(), destination.path()); failure != 0) {
        *output_ << "couldn't move " << location.path() << " to " << destination.path() << ": " << std::generic_category().message(failure) << '\n';
    }
    *output_ << std::flush;
}

}  // namespace zorv

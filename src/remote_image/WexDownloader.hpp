#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "data_access/ImageBytes.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Fetches the whole body of one URL.
//
// The blocking path, syncDownload(), is what the manifest and the premade
// volumes use. http and https go through libcurl, loaded on the first such
// fetch (a WebFetchError when it cannot be): redirects are followed (to http
// and https only), certificates are checked, and a status of 400 or more is a
// failed fetch. A file URL (on no host, or on "localhost") is read
// straight from the disk, mapped into memory when it can be.
//
// The asynchronous path writes the body to a temporary file, reporting the
// progress on the output as it goes, and then moves the file next to the
// temporary one under the remote file's name. It runs on a libcurl multi
// handle, the downloader's session, which only makes progress while
// runSession() services it; the two callbacks run from inside that call.
// A download that fails reports nothing.
class WexDownloader {
public:
    explicit WexDownloader(URL url);
    ~WexDownloader();
    WexDownloader(const WexDownloader&) = delete;
    WexDownloader& operator=(const WexDownloader&) = delete;

    const URL& url() const { return url_; }

    // The body of the last successful syncDownload(); empty until then.
    const ImageBytes& data() const { return data_; }
    void setData(ImageBytes data) { data_ = std::move(data); }

    // Fetches the whole body into data(). A failure leaves data() as it was:
    // WebFetchError for the web (and for a scheme other than http, https and
    // file), std::system_error for a file, WexDownloaderError emptyData for a
    // body of zero bytes.
    void syncDownload();

    // Starts a download on the session and returns at once; throws nothing.
    // data() is not touched.
    void asyncDownload();
    // Services the session until no download is left or `timeout` has
    // passed; true when none is left.
    bool runSession(std::chrono::milliseconds timeout);

    // Progress, for each chunk written to the temporary file: prints the
    // expected total, the total written so far and the quoted fraction
    // ("Progress  0.5"), one line each. An unknown total is -1.
    void downloadTaskDidWriteData(int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite);
    // Completion: prints the temporary file's URL, then moves the file into
    // its own folder under the last path component of url(); a failed move
    // prints why and nothing else happens.
    void downloadTaskDidFinishDownloading(const URL& location);

    // Where the session puts its temporary files (the system's temporary
    // folder unless set), and where the callbacks print (standard output
    // unless set; the stream must outlive the downloader).
    void setTemporaryDirectory(std::string path) { temporaryDirectory_ = std::move(path); }
    void setOutput(std::ostream& output) { output_ = &output; }

private:
    struct Session;
    struct Transfer;

    Session& session();
    void finishTransfers();

    URL url_;
    ImageBytes data_;
    std::unique_ptr<Session> session_;
    std::string temporaryDirectory_;
    std::ostream* output_;
};

}  // namespace zorv

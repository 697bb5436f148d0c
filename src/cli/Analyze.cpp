#include "cli/Analyze.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "cli/Arguments.hpp"
#include "platform/FileSystem.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {
namespace {

// The report file, written in place (not through a temporary file) as the
// report is produced, replacing a file of that name. The first write error
// stops the writing and is thrown by close(); errors name the file as the
// user typed it.
class ReportFile : public std::streambuf {
public:
    explicit ReportFile(const URL& fileURL) : name_(fileURL.relativePath()), path_(fileURL.path()) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) fail(errno);
        setp(buffer_, buffer_ + sizeof buffer_);
    }
    ~ReportFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    void close() {
        drain();
        if (error_ != 0) fail(error_);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail(errno);
    }

    // After a failure: a regular file holding part of a report goes.
    void discard() {
        struct stat info {};
        const bool regular = fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (regular) ::unlink(path_.c_str());
    }

protected:
    int_type overflow(int_type c) override {
        drain();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
        drain();
        return 0;
    }

private:
    [[noreturn]] void fail(int error) const { throw std::system_error(error, std::generic_category(), name_); }

    void drain() {
        const char* next = pbase();
        while (error_ == 0 && next < pptr()) {
            const ssize_t count = ::write(fd_, next, static_cast<size_t>(pptr() - next));
            if (count < 0) {
                if (errno != EINTR) error_ = errno;
                continue;
            }
            next += count;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
    }

    std::string name_;
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
    char buffer_[1 << 16];
};

void writeReportFile(const URL& fileURL, const AnalysisReport& report) {
    ReportFile file(fileURL);
    try {
        std::ostream out(&file);
        report.write(out);
        file.close();
    } catch (...) {
        file.discard();
        throw;
    }
}

}  // namespace

CommandConfiguration Analyze::configuration() const {
    return {"Analyze", "Analyze your disk image and report on its contents."};
}

void Analyze::declareArguments(Arguments& arguments) {
    arguments.positional("inputFile", "The disk image to analyze.", inputFile);
    arguments.positional("outputFile",
                         "The name of the JSON file where the analysis result will be saved. If you omit this "
                         "argument, the result will be printed on screen.",
                         outputFile);
    arguments.invertibleFlag("fileHierarchy", {"-f"},
                             "Specifies that you want to include the details of every file and folder in your "
                             "image.",
                             fileHierarchy);
}

void Analyze::validate(std::ostream&) {
    if (outputFile && fs::isSameFile(inputFile, *outputFile)) {
        throw ValidationError("The output file is the input file: the report would replace the disk image.");
    }
}

void Analyze::run(std::ostream& out) {
    const URL inputURL = URL::fileURLWithPath(inputFile);
    const ImageBytes bytes = fs::readWholeFile(inputURL);
    const AnalysisReport result =
        library_.analyzeImage(bytes, inputURL, fileHierarchy, outputFile ? ReportForm::json : ReportForm::text);
    // An empty volume has no report (its block size is 0): only its
    // description, and no file even when one is named.
    if (result.emptyVolumeDescription) {
        out << *result.emptyVolumeDescription << '\n';
        return;
    }
    if (outputFile) {
        writeReportFile(URL::fileURLWithPath(*outputFile), result);
    } else {
        result.write(out);
        out << '\n';
    }
}

}  // namespace zorv::cli

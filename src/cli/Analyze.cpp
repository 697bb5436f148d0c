#include "cli/Analyze.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <system_error>

#include "cli/Arguments.hpp"
#include "platform/FileSystem.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {
namespace {

// Writes the report in one go, in place (not through a temporary file),
// replacing a file of that name. Errors name the file as the user typed it.
void writeReportFile(const URL& fileURL, const std::string& report) {
    const auto fail = [&](int error) {
        throw std::system_error(error, std::generic_category(), fileURL.relativePath());
    };
    const int fd = ::open(fileURL.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) fail(errno);
    size_t written = 0;
    while (written < report.size()) {
        const ssize_t count = ::write(fd, report.data() + written, report.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            fail(error);
        }
        written += static_cast<size_t>(count);
    }
    if (::close(fd) != 0) fail(errno);
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
        writeReportFile(URL::fileURLWithPath(*outputFile), result.report);
    } else {
        out << result.report << '\n';
    }
}

}  // namespace zorv::cli

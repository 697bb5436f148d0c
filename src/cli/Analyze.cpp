#include "cli/Analyze.hpp"

#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "cli/Arguments.hpp"
#include "platform/AtomicFileWriter.hpp"
#include "platform/FileSystem.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {
namespace {

// The report file as the report is produced, through the image writer: a
// temporary file beside it that replaces a file of that name only once the
// whole report is written (a named pipe or a device is written into). Errors
// name the file as the user typed it.
class ReportFile : public std::streambuf {
public:
    explicit ReportFile(const URL& fileURL) : writer_(fileURL.path(), fileURL.relativePath()) {
        writer_.begin(true);
        setp(buffer_, buffer_ + sizeof buffer_);
    }

    void close() {
        drain();
        writer_.finish();
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
    // The JSON writer hands over whole chunks of its own: written as they
    // are, not copied through the buffer first.
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        if (count < static_cast<std::streamsize>(sizeof buffer_)) return std::streambuf::xsputn(text, count);
        drain();
        writer_.append(ByteView(reinterpret_cast<const uint8_t*>(text), static_cast<size_t>(count)));
        return count;
    }

private:
    void drain() {
        writer_.append(ByteView(reinterpret_cast<const uint8_t*>(pbase()), static_cast<size_t>(pptr() - pbase())));
        setp(buffer_, buffer_ + sizeof buffer_);
    }

    AtomicFileWriter writer_;
    char buffer_[1 << 16];
};

void writeReportFile(const URL& fileURL, const AnalysisReport& report) {
    ReportFile file(fileURL);
    std::ostream out(&file);
    // A failed write throws out of the stream: the exception is not
    // swallowed into the stream's state.
    out.exceptions(std::ios::badbit);
    report.write(out);
    file.close();
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

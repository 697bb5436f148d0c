#pragma once

#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"

namespace zorv {

// Writes a new file without ever exposing a half-written one: the bytes go to
// a temporary file in the target's folder, which replaces the target only when
// commit() is called after every byte is written. A writer destroyed without
// commit() removes its temporary file and leaves the target as it was.
//
// Nothing is created on disk until the first write (or create()), so a
// caller can check the target's folder first.
//
// A target that is a symbolic link is written through (its destination is
// replaced, the link stays). The new file gets the permissions a plain create
// would give it (0666 less the umask). Failures throw std::system_error naming
// the target as the user typed it (`name`), whichever file failed.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& targetPath, std::string name = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The folder the file will land in (after resolving a symbolic link).
    const std::string& folder() const { return folder_; }
    // Bytes an unprivileged user may still write in that folder's volume.
    int64_t availableCapacity() const;
    // Creates the temporary file (done by the first write if not called).
    void create();
    // Throws EEXIST when the target exists (used before any work when the
    // caller must not replace a file).
    void refuseExistingTarget() const;
    // Sets the file's length; new bytes read as zero without being written.
    void setSize(int64_t size);
    void writeAt(int64_t offset, ByteView bytes);
    // Flushes the file and moves it over the target. With `overwrite` false an
    // existing target makes it fail with EEXIST and stay untouched.
    void commit(bool overwrite);

    // Writes bytes into an existing file at an offset, keeping its other bytes.
    // Errors name `name` (`path` when empty).
    static void writeIntoExistingFile(const std::string& path, int64_t offset, ByteView bytes,
                                      const std::string& name = {});

private:
    [[noreturn]] void fail(int error) const;

    std::string name_;
    std::string target_;
    std::string folder_;
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace zorv

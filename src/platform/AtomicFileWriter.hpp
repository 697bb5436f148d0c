#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv {

class BackgroundAppender;
class BackgroundWriteBack;

// Writes a new file without ever exposing a half-written one: the bytes go to
// a temporary file in the target's folder, which replaces the target only
// once every byte is written. A write that fails, or that an interruption of
// the process stops (SIGINT, SIGTERM, SIGHUP), removes its temporary file and
// leaves the target as it was.
//
// Only a missing target or a regular file is replaced that way. Any other
// existing target (a named pipe, /dev/null, a disk device) is written into
// directly, from its first byte to its last, and stays what it is. A disk is
// claimed for the writer's whole life, from its construction on: opened
// exclusively, which the system refuses (EBUSY) while a file system on it,
// or on one of its partitions, is mounted or the disk is otherwise in use;
// and its capacity is its size, so that an image larger than the disk is
// refused before a byte of it is written.
//
// A target that is a symbolic link is written through (its destination is
// replaced, the link stays). A regular file replaced that way is treated as
// if the new bytes were written into it: a process that may not write it
// (EACCES, as opening it for writing would give; root may) fails before
// anything is written, and the new file takes its permission bits, and its
// owner and group where the process may give them. A new file gets the
// permissions a plain create would give it (0666 less the umask).
//
// A writer made with TargetRule::replaceEntry does neither: whatever is at
// the target (a link, a pipe, a device, a read-only file) is replaced by the
// new file as an entry of its folder, never opened or followed, and a folder
// there makes the write fail; the new file gets the permissions of a plain
// create. Failures throw std::system_error naming the target as the user
// typed it (`name`), whichever file failed.
class AtomicFileWriter {
public:
    enum class TargetRule {
        // Links followed, pipes and devices written into: the command line's
        // outputs, which may name /dev/stdout or a link to an image.
        followTarget,
        // The entry at the target path replaced, whatever it is.
        replaceEntry,
    };

    // Bytes to place at a byte offset of the file. The bytes are views: they
    // stay the caller's until write() returns.
    struct Piece {
        int64_t offset;
        ByteView bytes;
    };

    explicit AtomicFileWriter(const std::string& targetPath, std::string name = {},
                              TargetRule rule = TargetRule::followTarget);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The folder the file will land in (after resolving a symbolic link).
    const std::string& folder() const { return folder_; }
    // Whether the target exists and is not a regular file, so that it is
    // written into rather than replaced.
    bool writesInPlace() const { return writesInPlace_; }
    // Bytes the new file may take: those an unprivileged user may still write
    // on the folder's volume; a disk's size; unbounded for another target
    // written in place (a pipe), which takes no room there.
    int64_t availableCapacity() const;
    // Throws EEXIST when the target exists (used before any work when the
    // caller must not replace a file).
    void refuseExistingTarget() const;
    // Writes a file of `size` bytes: zeros, then each piece at its offset in
    // order (a later piece wins where two overlap; a piece may make the file
    // longer). With `overwrite` false an existing target makes it fail with
    // EEXIST and stay untouched. Called once.
    //
    // A new file is made by extending it, so it reads as zeros: the whole
    // blocks of zeros of a piece, in the file system's block size (512 bytes
    // when it tells none), are not written (they stay holes) unless an
    // earlier piece wrote there. A target written in place gets every byte.
    void write(int64_t size, const std::vector<Piece>& pieces, bool overwrite);

    // Writing a file as it is produced, in order: begin(overwrite), append()
    // as many times as needed, then finish(). A new file goes to the
    // temporary file and replaces the target at finish(); a target written in
    // place receives the bytes at once. A failure, or a writer destroyed
    // before finish(), leaves the target as it was (a target written in place
    // keeps what it received). With `overwrite` false an existing target
    // makes it fail with EEXIST.
    void begin(bool overwrite);
    void append(ByteView bytes);
    void finish();

    // Writes bytes into an existing file at an offset, keeping its other bytes.
    // Errors name `name` (`path` when empty).
    static void writeIntoExistingFile(const std::string& path, int64_t offset, ByteView bytes,
                                      const std::string& name = {});

private:
    [[noreturn]] void fail(int error) const;
    // Makes the temporary file; `overwrite`: it is to replace an existing
    // target.
    void create(bool overwrite);
    void commit(bool overwrite);
    void writeInPlace(int64_t size, const std::vector<Piece>& pieces);
    // Opens the target written in place: the claimed disk, or the target
    // opened for writing.
    int openInPlace();
    // Closes a target written in place; a disk's bytes are synced first, so
    // that a failure to store them is reported.
    void closeInPlace(int fd);
    // Waits for the bytes appended in the background and stops the thread.
    void finishAppending();

    std::string name_;
    std::string target_;
    std::string folder_;
    bool writesInPlace_ = false;
    // The disk at the target, opened exclusively until it is written.
    int claimedDisk_ = -1;
    bool replacesEntry_ = false;  // made with TargetRule::replaceEntry
    std::string temporary_;
    int fd_ = -1;
    bool overwrite_ = true;  // of the file begun with begin()
    // Bytes appended to a file begun with begin().
    int64_t appended_ = 0;
    // Writes a large new file's appended bytes while the next are produced.
    std::unique_ptr<BackgroundAppender> appender_;
    // While a large new file is written; stopped before it is synced.
    std::unique_ptr<BackgroundWriteBack> writeBack_;
};

}  // namespace zorv

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "platform/HFSTypeAndCreator.hpp"
#include "platform/URL.hpp"

// Host file services. Failures of the operating system are thrown as
// std::system_error carrying the real errno; a failure about a file the user
// names says which ("disk.img: No such file or directory").
namespace zorv::fs {

// The whole file as one immutable shared buffer: a read-only private memory
// map for a regular file or a disk (a block device), so analysing a large
// image costs what the analysis touches; the bytes read whole otherwise (a
// pipe). A character device (a terminal, /dev/zero) is refused before it is
// opened, with ENODEV. Errors name `path`.
ImageBytes readWholeFile(const std::string& path);
// The same for a file URL; errors name the path as the user gave it
// (relativePath).
ImageBytes readWholeFile(const URL& file);

// Whether two paths name one existing file (the same device and inode, symbolic
// links followed): a hard link, a link or another spelling of the same name.
bool isSameFile(const std::string& first, const std::string& second);

// Bytes available to an unprivileged user on the volume holding `path`.
int64_t availableCapacity(const std::string& path);

// Writes every byte at the file's current position (a pipe's too), going on
// after interruptions and short writes. Returns 0, or the errno of the
// write that failed.
int writeAll(int fd, ByteView bytes);

// Sets the named extended attribute of a file, creating or replacing it.
// Linux keeps such names in the "user." namespace, so "com.apple.X" is stored
// as "user.com.apple.X". A failure throws std::system_error whose message is
// the C library's text for errno.
void setExtendedAttribute(const URL& file, ByteView data, const std::string& name);
std::optional<Bytes> extendedAttribute(const URL& file, const std::string& name);

// Creates the folder and every missing folder above it, with the default
// permissions; a folder already there is fine.
void createDirectories(const std::string& path);

// Creates the one folder `path` (its parent must exist) unless a folder is
// there already, symbolic links not followed. Answers false when something
// else holds the name: a file, a pipe, or a link, wherever it points. Other
// failures throw std::system_error.
bool createRealDirectory(const std::string& path);

// Writes a file at `path` holding exactly `contents`; the new file is moved
// into place once written whole. Whatever the folder held at that name is
// replaced as an entry: a link itself, never what it points to, and a pipe
// or device without being opened. A folder there is never removed: that
// fails with EISDIR. With `codes`
// it gets them as its Finder information (a file system that keeps no
// extended attributes keeps no codes, and that is no failure); with
// `modificationDate` that modification time. Linux keeps no creation date a
// program can set.
void createFile(const std::string& path, ByteView contents, const std::optional<HFSTypeAndCreator>& codes = {},
                const std::optional<Date>& modificationDate = {});

}  // namespace zorv::fs

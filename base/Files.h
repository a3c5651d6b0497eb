// Whole files to and from the disk, by the bytes of their names: saves that replace the old file
// only once every byte of the new one is down, appends that leave a file with its old bytes or its
// old bytes and all the new ones, and loads that look at a file's kind and size before they read any
// of it. Qt-free; called on the window thread or a program's main thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qv7 {

// The name that stands for standard output in a save (qv7ctl's "-o -").
inline constexpr char StandardOutputName[] = "-";

// Saves `bytes` where `path` points, whole or not at all. Returns 0, or the system's error number of
// the step that failed (EIO when it gave none); the previous file is then untouched.
// - A regular file (or none yet): a temporary file beside it, written, synced and closed with every
//   step checked (a full disk often shows only at the last one), renamed over it, the folder synced.
//   A file that is replaced keeps its permissions. Temporary files of this name left by programs
//   that died are removed first.
// - A symbolic link is followed: its final target is replaced as above and the link stays a link.
// - A character device or a FIFO (/dev/null, /dev/stdout, a pipe) is written straight through;
//   "-" is standard output. A directory is refused with EISDIR, any other kind with ENOTSUP.
// A size limit (ulimit -f) shows as EFBIG: SIGXFSZ is ignored from the first save on.
// `beforeRename` (a test seam) runs on the complete temporary file; a non-zero return fails the save
// with that error number.
int saveWholeFile(const std::string& path, std::string_view bytes,
                  const std::function<int()>& beforeRename = {});

// Appends `bytes` to the regular file open on `fd` (opened for reading and appending, and locked by
// the caller) with one write, then syncs it. A write or sync that fails cuts the file back to its
// length before, so it holds its old bytes or its old bytes and all of `bytes`. Returns 0 or the
// system's error number. Constant time in the file's length.
int appendWhole(int fd, std::string_view bytes);

// The regular file that saving `path` would replace: `path` with every symbolic link of its last
// component followed. Returns 0, or ELOOP for a loop of links, or the error of a failed readlink.
int followLinks(const std::string& path, std::string& target);

// Whether a temporary file beside `target` belongs to a process that no longer runs: its name is
// target + ".tmp-PID-N" and no process PID exists.
bool isStaleTemporary(const std::string& target, const std::string& name);

struct FileRead {
    enum class Refusal { None, NotRegular, TooLarge };
    std::string bytes; // at most `limit` bytes from the start of the file
    int error = 0;     // the system's error number of a failed open or read
    Refusal refusal = Refusal::None;
    bool ok() const { return error == 0 && refusal == Refusal::None; }
};

// Reads at most `limit` bytes of `path`, a regular file of at most `cap` bytes. The file is opened
// without blocking and looked at before it is read: a FIFO, a directory or a device, or a file over
// `cap`, is refused at once.
FileRead readBoundedFile(const std::string& path, std::size_t cap, std::size_t limit);

// As readBoundedFile, on an open file descriptor, from its start.
FileRead readBoundedFile(int fd, std::size_t cap, std::size_t limit);

// Makes a size limit an error (EFBIG) rather than the end of the program. Idempotent.
void ignoreFileSizeSignal();

} // namespace qv7

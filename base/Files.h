// Whole files to and from the disk, by the bytes of their names: saves that replace the old file
// only once every byte of the new one is down, appends that leave a file with its old bytes or its
// old bytes and all the new ones, and loads that look at a file's kind and size before they read any
// of it. Qt-free; called on the window thread or a program's main thread. One implementation per
// platform (FilesPosix.cpp, FilesWindows.cpp); the name rules shared by both are in Files.cpp.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace qv7 {

// The name that stands for standard output in a save (qv7ctl's "-o -"). It is never a file name:
// nothing named "-" is read or written.
inline constexpr char StandardOutputName[] = "-";

// The descriptor the program already holds that `path` names: "-" and /dev/stdout are 1,
// /dev/stderr 2, /dev/fd/N and /proc/self/fd/N are N; -1 for any other name. A save to such a name
// writes through that descriptor, as the shell opened it (appending or not): nothing is replaced.
// Two outputs with the same held stream would mix their bytes; callers refuse that.
int heldStream(const std::string& path);

// Saves `bytes` where `path` points, whole or not at all. Returns 0, or the system's error number of
// the step that failed (EIO when it gave none); the previous file is then untouched.
// - A held stream (see heldStream) is written straight through its descriptor.
// - Otherwise the kernel decides, as for the shell's "> path": `path` is opened for writing, without
//   truncating and without waiting, so the kernel follows only the links it would follow (its
//   protection of sticky shared folders applies), and a file the caller may not write is refused
//   (EACCES: read-only). A directory is EISDIR; a FIFO with no reader ENXIO, at once.
// - A regular file reached is replaced: a temporary file beside the file the open reached (in its
//   real folder), written, synced and checked at every step (a full disk often shows only at the
//   last one), given the old file's owner, group and mode (EPERM when the owner cannot be kept),
//   renamed over it, the folder synced. A file that does not exist yet is made the same way, in the
//   named folder, never over a name that appeared meanwhile.
// - A character device or FIFO reached is written straight through; it stays what it is.
// - The temporary's name fits beside any name the folder allows (see temporaryName); it is made
//   new, locked while it is written, and temporaries of the same file left by saves that died (their
//   lock free, their owner the caller) are removed first. Nobody else's is ever touched.
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

// The length of a temporary name's random part, and its mark: NAME.tmp-RANDOM.
inline constexpr std::size_t TemporaryRandomLength = 12;
inline constexpr char TemporaryMark[] = ".tmp-";

// The name of a temporary file beside the file named `base`: base + ".tmp-" + `random`, the base cut
// short (at a UTF-8 character boundary) so that the whole name takes at most `nameMax` bytes.
std::string temporaryName(std::string_view base, std::string_view random, std::size_t nameMax);

// Whether `name` is temporaryName(base, R, nameMax) for some R of TemporaryRandomLength letters and
// digits: a temporary of a save of `base`.
bool isTemporaryName(std::string_view base, std::string_view name, std::size_t nameMax);

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

// Flushes and closes `stream` (stdout, then stderr, once a program has said everything): returns 0,
// or the error number of the first failure (a full disk, a closed pipe, an earlier short write),
// which the caller turns into a message and a non-zero exit. A stream the program had already seen
// closed (EBADF on flushing nothing) is no error.
int closeOutputStream(std::FILE* stream);

} // namespace qv7

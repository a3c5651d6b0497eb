// Whole files to and from the disk, by the bytes of their names: saves that replace the old file
// only once every byte of the new one is down, and loads that look at a file's kind and size before
// they read any of it. Qt-free; called on the window thread or a program's main thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qv7 {

// Replaces `path` with `bytes`: a temporary file beside it, written, synced and closed with every
// step checked (a full disk often shows only at the last one), then renamed over `path`. Returns 0,
// or the system's error number of the step that failed (EIO when it gave none); the previous file
// at `path` is then untouched and the temporary file gone. A file that is replaced keeps its
// permissions. `beforeRename` (a test seam) runs on the complete temporary file; a non-zero return
// fails the save with that error number.
int saveWholeFile(const std::string& path, std::string_view bytes,
                  const std::function<int()>& beforeRename = {});

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

} // namespace qv7

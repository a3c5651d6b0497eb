// Files held open by descriptor, by the bytes of their names (UTF-16 made from them on Windows):
// the logs programs append records to under a lock, and files read while they stay open. Qt-free;
// one implementation per platform (OpenFilesPosix.cpp, OpenFilesWindows.cpp).
#pragma once

#include <string>

namespace qv7 {

// A descriptor, or -1 with the system's error number.
struct OpenedFile {
    int fd = -1;
    int error = 0;
};

// Opens `path` for reading and appending, made when missing (as open(…, 0666) makes it, the umask
// applying), without waiting (a FIFO with no reader is not waited for).
OpenedFile openForAppend(const std::string& path);
// Opens `path` for reading, without waiting.
OpenedFile openForReading(const std::string& path);
void closeFile(int fd);

struct FileState {
    bool regular = false; // a plain file on a disk, not a folder, device or pipe
    long long size = 0;
    int error = 0; // the system's error number when the state could not be read
};
FileState fileState(int fd);

// The byte at `offset` of the file open on `fd`, whatever the descriptor's position (which stays
// where it was on POSIX); -1 when there is none.
int byteAt(int fd, long long offset);

} // namespace qv7

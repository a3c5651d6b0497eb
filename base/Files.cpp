// The parts of base/Files.h that are the same on every platform: temporary names and the close of
// the standard streams.
#include "base/Files.h"

#include <algorithm>
#include <cerrno>

namespace qv7 {

namespace {

bool isRandomCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// `base` cut to at most `room` bytes, never inside a UTF-8 character (whose continuation bytes are
// 10xxxxxx), so that the temporary's name stays as readable as the file's.
std::string_view cutBase(std::string_view base, std::size_t room) {
    if (base.size() <= room) return base;
    std::size_t end = room;
    while (end > 0 && (static_cast<unsigned char>(base[end]) & 0xC0) == 0x80)
        --end;
    return base.substr(0, end);
}

} // namespace

std::string temporaryName(std::string_view base, std::string_view random, std::size_t nameMax) {
    const std::size_t suffix = sizeof TemporaryMark - 1 + random.size();
    const std::size_t room = nameMax > suffix ? nameMax - suffix : 0;
    std::string name(cutBase(base, room));
    name += TemporaryMark;
    name += random;
    return name;
}

bool isTemporaryName(std::string_view base, std::string_view name, std::size_t nameMax) {
    if (name.size() < TemporaryRandomLength) return false;
    const std::string_view random = name.substr(name.size() - TemporaryRandomLength);
    return std::all_of(random.begin(), random.end(), isRandomCharacter) &&
           name == temporaryName(base, random, nameMax);
}

int closeOutputStream(std::FILE* stream) {
    const bool failedBefore = std::ferror(stream) != 0;
    errno = 0;
    const bool flushed = std::fflush(stream) == 0;
    const int flushError = errno;
    errno = 0;
    const bool closed = std::fclose(stream) == 0;
    const int closeError = errno;
    if (!flushed) return flushError != 0 ? flushError : EIO;
    if (failedBefore) return EIO; // the failed write's own error is gone with it
    // A stream the caller's parent closed (">&-") with nothing left to write is no failure.
    if (!closed && closeError != EBADF) return closeError != 0 ? closeError : EIO;
    return 0;
}

} // namespace qv7

// What the Windows files of every layer share: file names go to the system as UTF-16 made from the
// program's UTF-8 bytes, and its error codes come back as the error numbers the callers know.
// Included by Windows-only files; defined in base/FilesWindows.cpp.
#pragma once

#include <string>

namespace qv7 {

// The UTF-8 bytes of a name as UTF-16; empty when they are not UTF-8 (the call then fails with
// EINVAL, never opening some other file).
std::wstring widePath(const std::string& utf8);

// A Windows error code (GetLastError) as an errno value: ENOENT, EACCES, ENOSPC, EEXIST, EISDIR,
// ENAMETOOLONG, EROFS, EBUSY…; EIO for the rest.
int errnoOfWindowsError(unsigned long error);

} // namespace qv7

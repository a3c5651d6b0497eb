// The tool's files as its Qt code names and reads them: names carried byte for byte, the size caps
// of each kind of input file, and a refused load in the user's words. Pure functions; the window
// thread or qv7ctl's main thread.
#pragma once

#include "base/Files.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <string>

namespace qv7 {

// Input files larger than any valid one can be are refused before they are read.
inline constexpr std::size_t ParamFileCap = 64 * 1024; // 200 bytes count; later ones are ignored
inline constexpr std::size_t LinFileCap = 256 * 1024;  // a 361-point table is about 19 KB
inline constexpr std::size_t JsonFileCap = 256 * 1024; // a parameter set as JSON is a few KB

// A name's bytes: UTF-8, except that U+DC80-U+DCFF, each alone, stand for the bytes 0x80-0xFF that
// were no UTF-8 in the name fileNameFromBytes was given. A name from the command line thus comes
// back byte for byte, where Qt's own conversion would replace such bytes.
std::string fileNameBytes(const QString& name);
QString fileNameFromBytes(QByteArrayView bytes);

// The program's arguments after its name, file names exact: on POSIX argv's bytes through
// fileNameFromBytes, on Windows the UTF-16 command line (argv there is in the ANSI code page, which
// loses a name such as "Mesures été.QV" in a CJK folder). CommandLine.cpp, CommandLineWindows.cpp.
QStringList commandLineArguments(int argc, char** argv);

// Raises EInOutError::notRegular or tooLarge, naming `path`, when `read` was refused.
void raiseIfRefused(const QString& path, const FileRead& read);

// The SHA-256 of `bytes` in lower-case hex: the digest the production record and the configuration
// sheet give of a file.
QString sha256Hex(QByteArrayView bytes);

} // namespace qv7

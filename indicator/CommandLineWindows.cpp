#include "indicator/FileAccess.h"

#include <windows.h>

#include <shellapi.h>

namespace qv7 {

QStringList commandLineArguments(int, char**) {
    QStringList arguments;
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) return arguments;
    for (int i = 1; i < count; ++i)
        arguments << QString::fromWCharArray(words[i]);
    ::LocalFree(words);
    return arguments;
}

} // namespace qv7

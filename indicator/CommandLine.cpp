#include "indicator/FileAccess.h"

namespace qv7 {

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << fileNameFromBytes(argv[i]);
    return arguments;
}

} // namespace qv7

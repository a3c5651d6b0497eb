// The reading of Linux's lock list is plain text work, tested on every platform.
#include "base/FileLock.h"

#include <exception>
#include <sstream>

namespace qv7 {

long flockHolder(std::string_view procLocks, unsigned major, unsigned minor, unsigned long inode) {
    std::istringstream lines{std::string(procLocks)};
    std::string line;
    while (std::getline(lines, line)) {
        // "N: FLOCK ADVISORY WRITE PID MAJ:MIN:INODE START END"; waiters carry "->" after the number.
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        fields >> number >> kind;
        if (kind == "->") continue;
        fields >> mode >> access >> pid >> where;
        if (kind != "FLOCK") continue;
        unsigned long ma = 0, mi = 0, in = 0;
        char c1 = 0, c2 = 0;
        std::istringstream id(where);
        if (!(id >> std::hex >> ma >> c1 >> mi >> c2 >> std::dec >> in) || c1 != ':' || c2 != ':') continue;
        if (ma != major || mi != minor || in != inode) continue;
        try {
            const long holder = std::stol(pid);
            if (holder > 0) return holder;
        } catch (const std::exception&) {
        }
    }
    return 0;
}

} // namespace qv7

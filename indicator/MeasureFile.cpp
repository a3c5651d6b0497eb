#include "indicator/MeasureFile.h"

#include "base/Errors.h"
#include "indicator/FileAccess.h"

namespace qv7 {

MeasureReadResult loadMeasureFile(const QString& path) {
    const auto cap = static_cast<std::size_t>(MeasureFileMaxBytes);
    const FileRead read = readBoundedFile(fileNameBytes(path), cap, cap);
    raiseIfRefused(path, read);
    if (read.error != 0) throw EInOutError::fromErrno(read.error);
    // Spreadsheets often start a CSV saved as UTF-8 with a byte-order mark: it is no part of line 1.
    std::string_view text = read.bytes;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return parseMeasurements(text);
}

std::vector<LinFilePoint> asSavedInFile(std::span<const FitPoint> curve) {
    std::vector<LinFilePoint> points;
    for (const FitPoint& p : curve)
        points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
    if (points.empty()) return points;
    // What the file holds is what its reader brings back.
    const std::vector<LinFilePoint> read = parseLinText(linFileText(points)).points;
    std::vector<LinFilePoint> kept;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (i + 1 == read.size())
            while (kept.size() > 1 && kept.back().X >= read[i].X)
                kept.pop_back();
        if (kept.empty() || read[i].X > kept.back().X) kept.push_back(read[i]);
    }
    return kept;
}

std::vector<FitPoint> fitPointsOf(std::span<const LinFilePoint> points) {
    std::vector<FitPoint> out;
    for (const LinFilePoint& p : points)
        out.push_back({p.X, p.Y});
    return out;
}

} // namespace qv7

#include "indicator/MeasureFile.h"

#include "base/Errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace qv7 {

MeasureReadResult loadMeasureFile(const QString& path) {
    const QFileInfo info(path);
    // A device or a pipe could feed the reader without end.
    if (info.exists() && (!info.isFile() || info.size() > MeasureFileMaxBytes))
        throw EInOutError::fromErrno(EACCES);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) throw EInOutError::fromErrno(errno != 0 ? errno : EIO);
    errno = 0;
    const QByteArray bytes = file.read(MeasureFileMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) throw EInOutError::fromErrno(errno != 0 ? errno : EIO);
    if (bytes.size() > MeasureFileMaxBytes) throw EInOutError::fromErrno(EACCES);
    return parseMeasurements(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
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

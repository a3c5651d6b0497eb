#include "cli/Output.h"

#include "base/Errors.h"
#include "base/Files.h"
#include "cli/Options.h"
#include "cli/Session.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace qv7::cli {

namespace {
constexpr double BitsPerByte = 11.0; // start, 8 data bits, 2 stop bits (8N2)
constexpr double LineBaud = 9600.0;
constexpr double ReportPeriodMs = 1.0;

std::atomic<bool> quiet = false;
std::atomic<bool> listingToStderr = false;
// The first failed write to stdout: its reason, which the stream's error flag does not keep.
std::atomic<int> stdoutError = 0;
} // namespace

void setListingToStderr(bool toStderr) {
    listingToStderr = toStderr;
}

void setQuiet(bool on) {
    quiet = on;
}

void printAlways(const QString& text) {
    FILE* stream = listingToStderr ? stderr : stdout;
    errno = 0;
    if ((std::fputs(text.toUtf8().constData(), stream) < 0 || std::fflush(stream) != 0) && stream == stdout) {
        int none = 0;
        stdoutError.compare_exchange_strong(none, errno != 0 ? errno : EIO);
    }
}

int closeOutputs(int code) {
    int error = closeOutputStream(stdout);
    if (error == EIO && stdoutError != 0) error = stdoutError;
    if (error != 0) {
        std::fprintf(stderr, "qv7ctl: standard output: write error: %s\n", std::strerror(error));
        code = std::max(code, static_cast<int>(ExitFileError));
    }
    // Nothing is left to say a failure of stderr on: the exit code alone tells it.
    if (closeOutputStream(stderr) != 0) code = std::max(code, static_cast<int>(ExitFileError));
    return code;
}

void print(const QString& text) {
    if (!quiet) printAlways(text);
}

QString english(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

QString errorText(const std::exception& error) {
    const auto* runTime = dynamic_cast<const RunTimeError*>(&error);
    if (!runTime || runTime->messageTemplate() == nullptr) return QString::fromUtf8(error.what());
    const QString text = english(runTime->context(), runTime->messageTemplate());
    return QString::fromStdString(fillTemplate(text.toStdString(), runTime->arguments()));
}

QString saveErrorText(int error) {
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (error == EACCES) return QStringLiteral("read-only: ") + reason;
    if (error == ENXIO) return QStringLiteral("a FIFO that no program reads: ") + reason;
    return reason;
}

QString fileErrorText(const std::exception& error, bool saving) {
    QString text = quoted(errorText(error));
    const auto* io = dynamic_cast<const EInOutError*>(&error);
    if (io && io->code() != 0)
        text += QStringLiteral(" (%1)").arg(saving ? saveErrorText(io->code())
                                                   : QString::fromLocal8Bit(std::strerror(io->code())));
    return text;
}

QString shortestText(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return QString::fromLatin1(text, end - text);
}

QString quoted(const QString& fixedText) {
    return '"' + fixedText + '"';
}

void printJson(const QJsonObject& object) {
    print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

void printStats(const Session& session) {
    const TransferStats s = session.stats();
    const int bytes = s.bytesSent + s.bytesReceived;
    const double elapsedMs = static_cast<double>(s.elapsedNs) / 1e6;
    // Each reply costs the report that carries it and the empty report that closes the frame.
    const double boundMs = bytes * BitsPerByte / LineBaud * 1000.0 + 2.0 * s.replies * ReportPeriodMs;
    std::fprintf(stderr,
                 "transfer: %.1f ms, %d requests, %d replies, %d bytes on the line (%d sent, %d received); "
                 "wire-time bound %.1f ms (11 bits a byte at 9600 baud, 2 report periods of 1 ms a reply); "
                 "ratio %.3f\n",
                 elapsedMs, s.requests, s.replies, bytes, s.bytesSent, s.bytesReceived, boundMs,
                 boundMs > 0 ? elapsedMs / boundMs : 0.0);
    const auto rejected = [&s](TRejectReason reason) { return s.rejected[static_cast<std::size_t>(reason)]; };
    std::fprintf(stderr,
                 "line: %d repeats, %d probes; frames dropped: %d bad CRC, %d exception, %d other address, "
                 "%d wrong function, %d wrong length, %d stale\n",
                 s.repeats, s.probes, rejected(TRejectReason::BadCrc), rejected(TRejectReason::Exception),
                 rejected(TRejectReason::WrongAddress), rejected(TRejectReason::WrongFunction),
                 rejected(TRejectReason::WrongLength), rejected(TRejectReason::Stale));
}

QString linTableText(const TLinTable& table, int lastPoint) {
    QString text = QStringLiteral("point   input %   output %\n");
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const TLinPoint& p = table[static_cast<std::size_t>(i)];
        text += QStringLiteral("%1 %2 %3%4\n")
                    .arg(i, 5)
                    .arg(100.0 * p.Abscissa, 9, 'f', 3)
                    .arg(100.0 * p.Ordinate, 10, 'f', 3)
                    .arg(i > lastPoint ? QStringLiteral("   (not in use)") : QString());
    }
    return text;
}

} // namespace qv7::cli

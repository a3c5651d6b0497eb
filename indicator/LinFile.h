// Linearisation files (.LIN): an assembler-source table of the curve's points, in percent of full
// scale. Pure functions without widgets, used by the editor window (window thread) and by qv7ctl
// (its main thread). A failed save leaves the old file intact.
#pragma once

#include "base/TextMarks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace qv7 {

// One point of the curve: X (input) and Y (output), percent of full scale, single precision.
struct LinFilePoint {
    float X = 0.0f;
    float Y = 0.0f;
    friend bool operator==(const LinFilePoint&, const LinFilePoint&) = default;
};

// The most points a file may bring; the point after them is refused with LinTooManySegments.
inline constexpr int LinFileMaxPoints = 361;
// The longest value or count text, from after the keyword to its ';' included.
inline constexpr int LinFileMaxText = 80;

// The warnings of a load, shown in this order; the curve is loaded all the same.
inline constexpr char LinTooManySegments[] = QT_TRANSLATE_NOOP("LinFile", "Trop de segments");
inline constexpr char LinCountMismatch[] =
    QT_TRANSLATE_NOOP("LinFile", "Attention : Nombre de segment incorrect");
// Why a file is refused (nothing of it is used).
inline constexpr char LinTooFewPoints[] =
    QT_TRANSLATE_NOOP("LinFile", "Trop peu de points : il en faut au moins deux");
inline constexpr char LinTextTooLong[] =
    QT_TRANSLATE_NOOP("LinFile", "Valeur trop longue : plus de 80 caractères");

struct LinLoadResult {
    std::vector<LinFilePoint> points; // the curve in file order; empty when refused
    QStringList messages;             // LinTooManySegments, LinCountMismatch, in the order met
    QString error;                    // not empty: the file is refused; points and messages are empty
    int errorLine = 0;                // line (from 1) where a refusal was found; 0 for the whole file
    int declared = -1;                // the ".equ" count, -1 when the file gives none
    // A ".float" value was met: the loader worked with ',' as decimal separator, which the window
    // then keeps as the process-wide one (also when the file is refused after that value).
    bool valueSeen = false;
    bool ok() const { return error.isEmpty(); }
};

// Reads a file's text: every ".float" value in X, Y order and the ".equ" count; the first empty
// line ends the reading. Never raises.
LinLoadResult parseLinText(QByteArrayView text);

// Reads `path` and parses it. Raises EInOutError with the text-file message of the system's error
// when the file cannot be opened or read, notRegular or tooLarge (over LinFileCap) when it is no
// file to read. `bytes`, when given, receives the bytes read.
LinLoadResult loadLinFile(const QString& path, QByteArray* bytes = nullptr);

// The file's bytes for `points` (at least one): the header, an X and a Y line per point formatted
// "##0.00" with '.', "END"; Windows-1252, CR LF.
QByteArray linFileText(std::span<const LinFilePoint> points);

// Writes linFileText(points) to `path` atomically. Raises EInOutError with the text-file message of
// the system's error, leaving any previous file untouched. `beforeRename`: see saveWholeFile.
void saveLinFile(const QString& path, std::span<const LinFilePoint> points,
                 const std::function<int()>& beforeRename = {});

// The conversions of the loader: a value text (',' as separator, blanks, exponent) as a single, and
// a count text (decimal, or hexadecimal after '$' or "0x") as a 32-bit integer; nothing when the
// text does not convert.
std::optional<float> linValue(QByteArrayView text);
std::optional<int> linCount(QByteArrayView text);

} // namespace qv7

#include "indicator/LinFile.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "indicator/FileAccess.h"

#include <QCoreApplication>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace qv7 {

namespace {

const char* const InvalidFloat =
    QT_TRANSLATE_NOOP("LinFile", "'%1' n'est pas une valeur à virgule flottante correcte");
const char* const InvalidInteger = QT_TRANSLATE_NOOP("LinFile", "'%1' n'est pas une valeur entière correcte");

// A message of the reading in the window's language (French where no translation is installed,
// as in qv7ctl).
QString message(const char* text) {
    return QCoreApplication::translate("LinFile", text);
}

// The text after a keyword: up to the first ';' (kept) or the end of the line.
QByteArrayView keywordText(QByteArrayView line, qsizetype start) {
    const qsizetype semicolon = line.indexOf(';', start);
    return line.sliced(start, (semicolon < 0 ? line.size() : semicolon + 1) - start);
}

// TAB and ';' become blanks (a line never holds a line feed here: it ends the line).
std::string blanked(QByteArrayView text) {
    std::string out(text.data(), static_cast<std::size_t>(text.size()));
    for (char& c : out)
        if (c == '\t' || c == ';') c = ' ';
    return out;
}

QString shown(const std::string& text) {
    return QString::fromLatin1(QByteArray::fromStdString(text)).trimmed();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The lines of the text: each ends at CR LF, LF or a lone CR; a last line without an end counts.
std::vector<QByteArrayView> splitLines(QByteArrayView text) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.sliced(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.sliced(start));
    return lines;
}

// The reading of one file, line by line.
class LinReader {
public:
    LinLoadResult result;

    // False once the reading ends (a refusal, or the point after the last one the curve takes).
    bool readLine(QByteArrayView line, int number) {
        line_ = number;
        // The last character is never looked at: a keyword needs something after its '.'.
        for (qsizetype q = 0; q + 1 < line.size();) {
            if (line[q] == '.' && line.sliced(q + 1).startsWith("float")) {
                const QByteArrayView text = keywordText(line, q + 6);
                if (!takeValue(text)) return false;
                // The character after the value text is passed over with it.
                q += 6 + text.size() + 1;
            } else {
                if (line[q] == '.' && line.sliced(q + 1).startsWith("equ") &&
                    !takeCount(keywordText(line, q + 4)))
                    return false;
                ++q;
            }
        }
        return true;
    }

    LinLoadResult finish() {
        if (points_ < 2 && result.ok()) {
            line_ = 0;
            refuse(message(LinTooFewPoints));
        }
        if (!result.ok()) return refused();
        result.points.resize(static_cast<std::size_t>(points_)); // an X without its Y is dropped
        if (declared_ && *declared_ != points_) result.messages << message(LinCountMismatch);
        result.declared = declared_.value_or(-1);
        return std::move(result);
    }

private:
    bool takeValue(QByteArrayView text) {
        result.valueSeen = true;
        if (text.size() > LinFileMaxText) return refuse(message(LinTextTooLong));
        const std::optional<float> value = linValue(text);
        if (!value) return refuse(message(InvalidFloat).arg(shown(blanked(text))));
        bool last = false;
        if (points_ > LinFileMaxPoints - 1) {
            result.messages << message(LinTooManySegments);
            points_ = LinFileMaxPoints - 1;
            last = true;
        }
        if (result.points.size() <= static_cast<std::size_t>(points_))
            result.points.resize(static_cast<std::size_t>(points_) + 1);
        LinFilePoint& point = result.points[static_cast<std::size_t>(points_)];
        if (halfIsX_) {
            point.X = *value;
        } else {
            point.Y = *value;
            ++points_;
        }
        halfIsX_ = !halfIsX_;
        return !last;
    }

    bool takeCount(QByteArrayView text) {
        if (text.size() > LinFileMaxText) return refuse(message(LinTextTooLong));
        declared_ = linCount(text);
        if (!declared_) return refuse(message(InvalidInteger).arg(shown(blanked(text))));
        return true;
    }

    // Ends the reading: the file is refused.
    bool refuse(const QString& why) {
        result.error = why;
        result.errorLine = line_;
        return false;
    }

    LinLoadResult refused() {
        result.points.clear();
        result.messages.clear();
        return std::move(result);
    }

    int points_ = 0; // completed points (an X and its Y)
    bool halfIsX_ = true;
    std::optional<int> declared_;
    int line_ = 0;
};

std::string fixed2(float value) {
    return formatPattern(value, "##0.00", '.');
}

[[noreturn]] void raiseIo(int err) {
    throw EInOutError::fromErrno(err != 0 ? err : EIO);
}

} // namespace

std::optional<float> linValue(QByteArrayView text) {
    std::string number = blanked(text);
    for (char& c : number)
        if (c == '.') c = ',';
    const std::optional<double> value = parseNumber(number, ',');
    // A value beyond the single range does not fit the curve's point.
    if (!value || std::fabs(*value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<int> linCount(QByteArrayView text) {
    const std::string t = blanked(text);
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == t.size()) return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        const int digit = base == 16 ? hexDigit(t[i]) : (t[i] >= '0' && t[i] <= '9' ? t[i] - '0' : -1);
        if (digit < 0) return std::nullopt; // a blank after the digits (a comment's ';') fails too
        value = value * base + digit;
        if (value > std::numeric_limits<int>::max() + 1LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

LinLoadResult parseLinText(QByteArrayView text) {
    LinReader reader;
    int number = 0;
    for (QByteArrayView line : splitLines(text)) {
        ++number;
        if (line.isEmpty()) break; // the first empty line ends the reading
        if (!reader.readLine(line, number)) break;
    }
    return reader.finish();
}

LinLoadResult loadLinFile(const QString& path, QByteArray* bytes) {
    const FileRead read = readBoundedFile(fileNameBytes(path), LinFileCap, LinFileCap);
    raiseIfRefused(path, read);
    if (read.error != 0) raiseIo(read.error);
    if (bytes) *bytes = QByteArray::fromStdString(read.bytes);
    return parseLinText(QByteArrayView(read.bytes));
}

QByteArray linFileText(std::span<const LinFilePoint> points) {
    // Windows-1252 and Latin-1 agree on every character written here.
    QByteArray out = QStringLiteral("; /* SEG\r\n"
                                    "; générateur de segment de linéarisation\r\n"
                                    ";\r\n")
                         .toLatin1();
    out += "Nb_Seg\t\t.equ " + QByteArray::number(static_cast<qsizetype>(points.size())) + "\r\n";
    out += "TABpoint:\r\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QByteArray index = QByteArray::number(static_cast<qulonglong>(i));
        out += "\t\t.float\t" + QByteArray::fromStdString(fixed2(points[i].X)) + "\t\t; X " + index + "\r\n";
        out += "\t\t.float\t" + QByteArray::fromStdString(fixed2(points[i].Y)) + "\t\t; Y " + index + "\r\n";
    }
    out += "END\r\n";
    return out;
}

void saveLinFile(const QString& path, std::span<const LinFilePoint> points,
                 const std::function<int()>& beforeRename) {
    const QByteArray text = linFileText(points);
    const int error = saveWholeFile(fileNameBytes(path),
                                    std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                                    beforeRename);
    if (error != 0) raiseIo(error);
}

} // namespace qv7

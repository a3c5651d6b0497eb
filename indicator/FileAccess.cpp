#include "indicator/FileAccess.h"

#include "base/Errors.h"

#include <QCryptographicHash>

namespace qv7 {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// The length of the well-formed UTF-8 sequence at the start of `bytes`, 0 when there is none.
qsizetype utf8Length(QByteArrayView bytes) {
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    return length;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    QString name;
    while (!bytes.isEmpty()) {
        const qsizetype length = utf8Length(bytes);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(EscapeBase + static_cast<unsigned char>(bytes[0])));
            bytes = bytes.sliced(1);
        } else {
            name += QString::fromUtf8(bytes.first(length));
            bytes = bytes.sliced(length);
        }
    }
    return name;
}

std::string fileNameBytes(const QString& name) {
    std::string bytes;
    qsizetype plain = 0; // start of the run not yet converted
    const auto flush = [&](qsizetype end) { bytes += name.mid(plain, end - plain).toUtf8().toStdString(); };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF) {
            flush(i);
            bytes += static_cast<char>(unit - EscapeBase);
            plain = i + 1;
        }
    }
    flush(name.size());
    return bytes;
}

void raiseIfRefused(const QString& path, const FileRead& read) {
    if (read.refusal == FileRead::Refusal::NotRegular) throw EInOutError::notRegular(path.toStdString());
    if (read.refusal == FileRead::Refusal::TooLarge) throw EInOutError::tooLarge(path.toStdString());
}

QString sha256Hex(QByteArrayView bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace qv7

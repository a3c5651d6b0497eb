#include "cli/ParamEdit.h"

#include "cli/ParamFields.h"

#include <QMap>

#include <algorithm>
#include <functional>
#include <limits>

namespace qv7::cli {

namespace {

using Store = std::function<bool(TParamImage&, qint64)>;

// Bits `mask` of an unsigned word := raw shifted into place; false when raw has more bits.
template <typename Word> Store bits(Word TParamImage::*member, int shift, qint64 mask) {
    return [member, shift, mask](TParamImage& p, qint64 raw) {
        if (raw < 0 || raw > mask) return false;
        const auto word = static_cast<qint64>(p.*member) & ~(mask << shift);
        p.*member = static_cast<Word>(word | (raw << shift));
        return true;
    };
}

// A whole signed or unsigned member.
template <typename Word> Store whole(Word TParamImage::*member) {
    return [member](TParamImage& p, qint64 raw) {
        if (raw < std::numeric_limits<Word>::min() || raw > std::numeric_limits<Word>::max()) return false;
        p.*member = static_cast<Word>(raw);
        return true;
    };
}

template <typename Word> Store alarmWhole(int k, Word TAlarmRecord::*member) {
    return [k, member](TParamImage& p, qint64 raw) {
        if (raw < std::numeric_limits<Word>::min() || raw > std::numeric_limits<Word>::max()) return false;
        p.Alarms[static_cast<std::size_t>(k)].*member = static_cast<Word>(raw);
        return true;
    };
}

Store alarmFlags(int k, int shift, qint64 mask) {
    return [k, shift, mask](TParamImage& p, qint64 raw) {
        if (raw < 0 || raw > mask) return false;
        std::uint8_t& flags = p.Alarms[static_cast<std::size_t>(k)].AlarmFlags;
        flags = static_cast<std::uint8_t>((flags & ~(mask << shift)) | (raw << shift));
        return true;
    };
}

// Spare bits are given as the masked word itself, as show --json gives them.
template <typename Word> Store spareBits(Word TParamImage::*member, qint64 used) {
    return [member, used](TParamImage& p, qint64 raw) {
        if (raw < 0 || (raw & used) != 0 || raw > std::numeric_limits<std::uint32_t>::max()) return false;
        const auto word = static_cast<qint64>(static_cast<std::make_unsigned_t<Word>>(p.*member)) & used;
        p.*member = static_cast<Word>(word | raw);
        return true;
    };
}

QMap<QString, Store> stores() {
    QMap<QString, Store> s;
    s["input.type"] = whole(&TParamImage::InputConfig);
    s["input.current_range"] = bits(&TParamImage::InputOptions, 0, 1);
    s["input.voltage_range"] = bits(&TParamImage::InputOptions, 1, 3);
    s["input.thermocouple"] = bits(&TParamImage::InputOptions, 4, 15);
    s["input.probe_wiring"] = bits(&TParamImage::InputOptions, 8, 3);
    s["input.cold_junction"] = bits(&TParamImage::InputOptions, 10, 1);
    s["input.spare_bits"] = spareBits(&TParamImage::InputOptions, 0x7F7);
    s["linearisation.enabled"] = bits(&TParamImage::LinEnable, 0, 1);
    s["linearisation.last_point"] = whole(&TParamImage::LinLastPoint);
    s["linearisation.spare_bits"] = spareBits(&TParamImage::LinEnable, 1);
    s["filter"] = whole(&TParamImage::Filter);
    s["display.full_scale"] = whole(&TParamImage::DisplayHigh);
    s["display.zero"] = whole(&TParamImage::DisplayLow);
    s["display.decimal_point"] = bits(&TParamImage::DisplayFlags, 0, 7);
    s["display.tenths"] = bits(&TParamImage::DisplayFlags, 3, 1);
    s["display.modulo"] = bits(&TParamImage::DisplayFlags, 4, 3);
    s["display.temperature_unit"] = bits(&TParamImage::DisplayFlags, 8, 1);
    s["display.spare_bits"] = spareBits(&TParamImage::DisplayFlags, 0x13F);
    s["output.full_scale"] = whole(&TParamImage::OutputHigh);
    s["output.zero"] = whole(&TParamImage::OutputLow);
    s["output.offset"] = whole(&TParamImage::OutputOption);
    s["rs485.baud"] = bits(&TParamImage::SerialConfig, 0, 7);
    s["rs485.format"] = bits(&TParamImage::SerialConfig, 3, 7);
    s["rs485.address"] = bits(&TParamImage::SerialConfig, 8, 255);
    s["rs485.spare_bits"] = spareBits(&TParamImage::SerialConfig, 0xFF3F);
    s["protection"] = whole(&TParamImage::Protection);
    for (int k = 0; k < 4; ++k) {
        const QString a = QStringLiteral("alarm%1.").arg(k + 1);
        s[a + "threshold"] = alarmWhole(k, &TAlarmRecord::Threshold);
        s[a + "hysteresis"] = alarmWhole(k, &TAlarmRecord::Hysteresis);
        s[a + "delay"] = alarmWhole(k, &TAlarmRecord::Delay);
        s[a + "contact"] = alarmFlags(k, 0, 1);
        s[a + "led"] = alarmFlags(k, 4, 1);
        s[a + "spare_bits"] = [k](TParamImage& p, qint64 raw) {
            if (raw < 0 || raw > 0xFF || (raw & 0x11) != 0) return false;
            std::uint8_t& flags = p.Alarms[static_cast<std::size_t>(k)].AlarmFlags;
            flags = static_cast<std::uint8_t>((flags & 0x11) | raw);
            return true;
        };
    }
    return s;
}

} // namespace

QString storeField(TParamImage& params, const QString& key, qint64 raw) {
    static const QMap<QString, Store> all = stores();
    const auto store = all.find(key);
    if (store == all.end()) return QStringLiteral("no field \"%1\"").arg(key);
    if (!(*store)(params, raw)) return QStringLiteral("%1 does not fit %2").arg(raw).arg(key);
    return {};
}

std::optional<qint64> parseValue(const TParamImage& params, const QString& key, const QString& value,
                                 QString& error) {
    bool isNumber = false;
    const qint64 number = value.toLongLong(&isNumber);
    // The text as show prints it comes first, so "rs485.baud=19200" means 19200 baud, not code 19200.
    // Display units print as the number itself.
    const QList<Field> fields = decodeParams(params);
    const bool plainNumber = std::any_of(fields.begin(), fields.end(), [&](const Field& f) {
        return f.key == key && f.unit == QLatin1String("display units");
    });
    for (qint64 raw = 0; !plainNumber && raw <= 9999; ++raw) {
        TParamImage copy = params;
        if (!storeField(copy, key, raw).isEmpty()) break;
        for (const Field& f : decodeParams(copy))
            if (f.key == key && f.text.compare(value, Qt::CaseInsensitive) == 0) return raw;
    }
    if (isNumber) return number;
    error = QStringLiteral("%1: \"%2\" is neither a value show prints for it nor a number").arg(key, value);
    return std::nullopt;
}

} // namespace qv7::cli

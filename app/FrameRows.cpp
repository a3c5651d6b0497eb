#include "app/FrameRows.h"

#include "app/Language.h"
#include "app/LineStatus.h"
#include "app/pages/PageKit.h"
#include "modbus/MiniModbus.h"
#include "proto/Crc.h"
#include "proto/ParamTable.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QFont>

#include <algorithm>
#include <chrono>

namespace qv7 {

namespace {

int word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.size() >= at + 2 ? (b[at] << 8 | b[at + 1]) : -1;
}

// Milliseconds with one decimal, in the window's language's number format.
QString millis(std::int64_t ns) {
    const QString text = QString::number(static_cast<double>(ns) / 1e6, 'f', 1);
    return currentLanguage() == Language::French ? QString(text).replace(QLatin1Char('.'), QLatin1Char(','))
                                                 : text;
}

// The row of a frame as the master numbered and booked it.
FrameRow rowOf(const TFrameRecord& frame, std::int64_t number) {
    FrameRow row{number, frame};
    const TFrameVerdict& v = frame.verdict;
    if (frame.outbound || v.booking != TReplyBooking::Answer) return row;
    row.answers = v.request;
    row.answeredStart = static_cast<int>(v.start & 0xFFFF);
    if (v.requestAt != 0) row.turnaroundNs = frame.at - v.requestAt;
    return row;
}

const char* functionName(int function) {
    switch (function) {
    case 3:
        return QT_TRANSLATE_NOOP("qv7::FrameLog", "lecture de registres");
    case 4:
        return QT_TRANSLATE_NOOP("qv7::FrameLog", "lecture d'entrées");
    case 6:
        return QT_TRANSLATE_NOOP("qv7::FrameLog", "écriture d'un registre");
    case 16:
        return QT_TRANSLATE_NOOP("qv7::FrameLog", "écriture de registres");
    default:
        return nullptr;
    }
}

QString hexText(const std::vector<std::uint8_t>& bytes) {
    QString text;
    for (std::uint8_t byte : bytes)
        text += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0'));
    return text.trimmed().toUpper();
}

QString csvField(QString field) {
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    return QLatin1Char('"') + field.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

bool crcGood(const std::vector<std::uint8_t>& bytes) {
    return crcIntact(bytes);
}

FrameMeaning meaningOf(const TFrameRecord& frame, int answeredStart) {
    const std::vector<std::uint8_t>& b = frame.bytes;
    FrameMeaning m;
    if (b.size() < 2) return m;
    m.function = b[1] & 0x7F;
    m.exception = (b[1] & 0x80) != 0;
    if (m.exception) return m;
    const auto take = [&](std::size_t from, int count, bool lowFirst) {
        for (int i = 0; i < count && from + 2 * static_cast<std::size_t>(i) + 1 < b.size(); ++i) {
            const std::size_t at = from + 2 * static_cast<std::size_t>(i);
            m.values.push_back(static_cast<std::uint16_t>(lowFirst ? (b[at + 1] << 8 | b[at]) : word(b, at)));
        }
    };
    const bool fromMaster = frame.outbound;
    if (m.function == 6) {
        m.start = word(b, 2);
        m.count = 1;
        if (b.size() >= 6) m.values.push_back(static_cast<std::uint16_t>(word(b, 4)));
    } else if (fromMaster || m.function == 16) {
        m.start = word(b, 2);
        m.count = word(b, 4);
        // The indicator takes block data low byte first.
        if (fromMaster && m.function == 16) take(7, m.count, true);
    } else if ((m.function == 3 || m.function == 4) && b.size() >= 3) {
        m.start = answeredStart;
        m.count = b[2] / 2;
        take(3, m.count, false);
    }
    return m;
}

QString registersText(int start, const std::vector<std::uint16_t>& values) {
    ConfigRegisters words{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t address = static_cast<std::size_t>(start) + i;
        if (address < words.size()) words[address] = values[i];
    }
    // Each parameter travels in one register: the frame's words give it whole.
    TParamImage image{};
    paramsFromRegisters(image, words);
    QStringList parts;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int address = start + static_cast<int>(i);
        QStringList named;
        if (address < static_cast<int>(words.size())) {
            for (const ParamRow& row : paramTable()) {
                if (row.kind == ParamKind::Spare || row.member.address != address) continue;
                named << QStringLiteral("%1 = %2").arg(pages::rowLabel(row),
                                                       pages::valueText(row, rawValue(row, image)));
            }
        }
        // A register of no parameter (the table, the command register): its number and raw value.
        parts << (named.isEmpty()
                      ? QStringLiteral("%1 = %2").arg(address).arg(values[i])
                      : QStringLiteral("%1 %2").arg(address).arg(named.join(QStringLiteral(", "))));
    }
    return parts.join(QStringLiteral("; "));
}

// ---------------------------------------------------------------------------------------------
// FrameLog

FrameLog::FrameLog(QObject* parent)
    : FrameLog(std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
                   .count(),
               parent) {}

FrameLog::FrameLog(std::int64_t startNs, QObject* parent) : QAbstractTableModel(parent), startNs_(startNs) {}

void FrameLog::add(const TFrameRecord& frame) {
    add(std::vector<TFrameRecord>{frame});
}

void FrameLog::add(const std::vector<TFrameRecord>& frames) {
    std::deque<FrameRow> batch;
    for (const TFrameRecord& frame : frames) {
        if (frame.number > 0) nextNumber_ = std::max(nextNumber_, frame.number + 1);
        batch.push_back(rowOf(frame, frame.number > 0 ? frame.number : nextNumber_++));
    }
    if (!paused_) return append(std::move(batch));
    held_.insert(held_.end(), batch.begin(), batch.end());
    while (held_.size() > MaxRows)
        held_.pop_front();
}

// One removal and one insertion for a whole batch: the view lays itself out once.
void FrameLog::append(std::deque<FrameRow> batch) {
    while (batch.size() > MaxRows)
        batch.pop_front();
    if (batch.empty()) return;
    // At most the rows there are: the batch is no longer than MaxRows.
    const std::size_t total = rows_.size() + batch.size();
    const std::size_t overflow = total > MaxRows ? total - MaxRows : 0;
    if (overflow > 0) {
        beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(overflow));
        endRemoveRows();
    }
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at + static_cast<int>(batch.size()) - 1);
    for (FrameRow& row : batch)
        rows_.push_back(std::move(row));
    endInsertRows();
}

void FrameLog::clear() {
    beginResetModel();
    rows_.clear();
    held_.clear();
    endResetModel();
}

void FrameLog::setPaused(bool paused) {
    paused_ = paused;
    if (paused) return;
    append(std::move(held_));
    held_.clear();
}

int FrameLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FrameLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FrameLog::cellText(int r, int column) const {
    const FrameRow& row = frameRow(r);
    const TFrameRecord& f = row.frame;
    const bool rejected = !f.outbound && f.verdict.rejected;
    const FrameMeaning m = meaningOf(f, row.answeredStart);
    switch (column) {
    case ColMark:
        return rejected ? QStringLiteral("✖") : QString();
    case ColNumber:
        return QString::number(row.number);
    case ColTime:
        return millis(f.at - startNs_);
    case ColDelta:
        return r == 0 ? QString() : millis(f.at - frameRow(r - 1).frame.at);
    case ColDirection:
        return f.outbound ? tr("→ émise") : tr("← reçue");
    case ColBytes:
        return hexText(f.bytes);
    case ColFunction: {
        if (m.function < 0) return QString();
        const char* name = functionName(m.function);
        const QString number =
            QString::number(m.function) + (m.exception ? QStringLiteral(" (exception)") : QString());
        return name ? number + QLatin1Char(' ') + tr(name) : number;
    }
    case ColRegister:
        return m.start < 0 ? QString() : QString::number(m.start);
    case ColCount:
        return m.count < 0 ? QString() : QString::number(m.count);
    case ColDecoding:
        return m.start < 0 || m.values.empty() || m.function == 4 ? QString()
                                                                  : registersText(m.start, m.values);
    case ColCrc:
        return crcGood(f.bytes) ? tr("bon") : tr("mauvais");
    case ColReason:
        return rejected ? refusalText(f.verdict.reason, f.verdict.exceptionCode) : QString();
    case ColAnswers:
        switch (f.outbound ? TReplyBooking::None : f.verdict.booking) {
        case TReplyBooking::Answer:
            return row.answers == 0 ? QString() : QString::number(row.answers);
        case TReplyBooking::Unsolicited:
        case TReplyBooking::Late:
            return QString::fromStdString(BookingText(f.verdict.booking, masterText));
        case TReplyBooking::None:
            return QString();
        }
        return QString();
    case ColTurnaround:
        return row.turnaroundNs < 0 ? QString() : millis(row.turnaroundNs);
    default:
        return QString();
    }
}

QVariant FrameLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FrameRow& row = frameRow(index.row());
    const bool rejected = !row.frame.outbound && row.frame.verdict.rejected;
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ToolTipRole:
        return rejected ? cellText(index.row(), ColReason) : cellText(index.row(), index.column());
    case Qt::FontRole: {
        // A rejected frame stands out by its mark and its weight, not only by its colour.
        if (!rejected) return {};
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::BackgroundRole:
        return rejected ? QVariant(QBrush(QColor(255, 222, 222))) : QVariant();
    case Qt::ForegroundRole:
        return rejected ? QVariant(QBrush(QColor(150, 0, 0))) : QVariant();
    default:
        return {};
    }
}

QStringList FrameLog::headerTexts() const {
    return {tr("Rejet"),    tr("N°"),       tr("t (ms)"),          tr("Δt (ms)"),   tr("Sens"),
            tr("Octets"),   tr("CRC"),      tr("Raison du rejet"), tr("Réponse à"), tr("Délai (ms)"),
            tr("Fonction"), tr("Registre"), tr("Nombre"),          tr("Décodage")};
}

QVariant FrameLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == ColMark) return QString(); // the mark speaks for itself
    return headerTexts().value(section);
}

void FrameLog::retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QStringList FrameLog::rowTexts(int row) const {
    QStringList texts;
    for (int c = 0; c < ColumnCount; ++c)
        texts << cellText(row, c);
    return texts;
}

std::vector<int> FrameLog::allRows() const {
    std::vector<int> rows(rows_.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    return rows;
}

QString FrameLog::text(const std::vector<int>& rows) const {
    QString out = headerTexts().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int r : rows.empty() ? allRows() : rows)
        out += rowTexts(r).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return out;
}

QString FrameLog::csv(const std::vector<int>& rows) const {
    const auto line = [](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << csvField(f);
        return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    QString out = line(headerTexts());
    for (int r : rows.empty() ? allRows() : rows)
        out += line(rowTexts(r));
    return out;
}

// ---------------------------------------------------------------------------------------------
// FrameFilter

void FrameFilter::setErrorsOnly(bool on) {
    errorsOnly_ = on;
    invalidateFilter();
}

void FrameFilter::setFunction(int function) {
    function_ = function;
    invalidateFilter();
}

bool FrameFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* log = static_cast<const FrameLog*>(sourceModel());
    const TFrameRecord& f = log->frameRow(sourceRow).frame;
    if (errorsOnly_ && (f.outbound || !f.verdict.rejected)) return false;
    return function_ < 0 || (f.bytes.size() >= 2 && (f.bytes[1] & 0x7F) == function_);
}

} // namespace qv7

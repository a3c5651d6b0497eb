// The frame monitor's rows: every frame the master sent and received (the last MaxRows of them),
// what each one is (function, first register, count, and the parameters of the image it carries by
// their names and values as the pages show them), whether its CRC holds, why the master rejected
// it, and which request the master booked a reply for after how long (the master's own record,
// carried with the frame: the monitor never guesses). A table model for the monitor window, and
// the same rows as text and CSV. Window thread; frames come from the component's OnFrame.
#pragma once

#include "modbus/FrameRecord.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>

#include <cstdint>
#include <deque>
#include <vector>

namespace qv7 {

struct FrameRow {
    std::int64_t number = 0; // the master's number of the frame (counted here for frames it did not number)
    TFrameRecord frame;
    std::int64_t answers = 0;       // the number of the request the master booked a reply for; 0 none
    std::int64_t turnaroundNs = -1; // from that request's sending to the reply's first byte
    int answeredStart = -1;         // that request's first register
};

// What a frame says, read from its bytes (and, for a reply, from the request it answered).
struct FrameMeaning {
    int function = -1; // without the exception bit; -1 too short to tell
    bool exception = false;
    int start = -1; // first register; -1 not in the frame
    int count = -1;
    std::vector<std::uint16_t> values; // the registers' values the frame carries
};
FrameMeaning meaningOf(const TFrameRecord& frame, int answeredStart);
// "16 Seuil d'alarme 1 = 5000; 17 ...": each register from `start` by the parameters it carries,
// those of no parameter by their number and value. In the window's language.
QString registersText(int start, const std::vector<std::uint16_t>& values);
// The two CRC bytes at the end match the bytes before them.
bool crcGood(const std::vector<std::uint8_t>& bytes);

class FrameLog : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColMark,
        ColNumber,
        ColTime,
        ColDelta,
        ColDirection,
        ColBytes,
        ColCrc,
        ColReason,
        ColAnswers,
        ColTurnaround,
        ColFunction,
        ColRegister,
        ColCount,
        ColDecoding,
        ColumnCount
    };
    static constexpr int MaxRows = 10000;

    // Times are counted from `startNs` (steady-clock nanoseconds; by default, now).
    explicit FrameLog(QObject* parent = nullptr);
    FrameLog(std::int64_t startNs, QObject* parent);

    void add(const TFrameRecord& frame);
    void add(const std::vector<TFrameRecord>& frames);
    void clear();
    // While paused the rows stand still; the frames that come meanwhile are added on resuming.
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    std::int64_t startNs() const { return startNs_; }

    const FrameRow& frameRow(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    QString cellText(int row, int column) const;
    // The rows given (all when empty), header first: tab-separated lines, or RFC 4180 CSV.
    QString text(const std::vector<int>& rows = {}) const;
    QString csv(const std::vector<int>& rows = {}) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The language changed: every text is said again.
    void retranslate();

private:
    void append(std::deque<FrameRow> batch);
    QStringList rowTexts(int row) const;
    QStringList headerTexts() const;
    std::vector<int> allRows() const;

    std::int64_t startNs_;
    std::int64_t nextNumber_ = 1;
    std::deque<FrameRow> rows_;
    std::deque<FrameRow> held_; // what came while paused
    bool paused_ = false;
};

// The rows the monitor shows: all, or the rejected ones only, of every function or of one.
class FrameFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setErrorsOnly(bool on);
    void setFunction(int function); // -1: every function

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    bool errorsOnly_ = false;
    int function_ = -1;
};

} // namespace qv7

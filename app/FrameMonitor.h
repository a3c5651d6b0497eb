// The frame monitor: a window of its own that lists every frame the component sent and received
// (app/FrameRows.h), filters them (rejected ones only, one function), pauses, clears, copies the
// selected rows and saves them as text, CSV or a capture file. F9 or Ctrl+M on the main window, the
// about box's entry and the status line's context menu open it; the main window's layout stays as it
// is. Window thread.
#pragma once

#include "app/FrameRows.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class TTorvik;

namespace qv7 {

class FrameMonitor : public QWidget {
    Q_OBJECT
public:
    enum class Format { Text, Csv, Capture };

    explicit FrameMonitor(QWidget* parent = nullptr);

    // Takes every frame of `torvik` (its OnFrame, before it opens a device) and hands each one on to
    // `alsoTo` when given (the --capture file); the keys and the status line's menu of `mainWindow`,
    // and the about box's entry, open the monitor.
    void attach(TTorvik& torvik, QWidget& mainWindow, std::function<void(const TFrameRecord&)> alsoTo = {});
    // The frame joins the rows at the next refresh: once the line was quiet for QuietMs (a transfer
    // is over) or the oldest waiting frame is MaxLagMs old, so that the window draws between
    // transfers and not between a reply and the request it lets go.
    void addFrame(const TFrameRecord& frame);
    static constexpr int QuietMs = 60;
    static constexpr int MaxLagMs = 1000;
    // The frames come in now.
    void refresh();

    FrameLog& log() {
        refresh();
        return log_;
    }
    FrameFilter& filter() { return filter_; }
    QTableView* view() const { return view_; }
    // Every row the monitor keeps, whatever the filters show; 0 or the system's error number.
    int saveAs(const QString& path, Format format);
    // `path` with the extension of `format` (.txt, .csv, .pcapng) when it does not end in it.
    static QString withExtension(const QString& path, Format format);
    // "14 trames", or "3 / 14 trames" while the filters hide some.
    QString countText() const;
    // The selected rows, as the text save writes them (header first).
    QString selectionText() const;
    void copySelection() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void fitColumns();
    void askAndSave();
    void showCount();

    FrameLog log_;
    std::vector<TFrameRecord> pending_; // since the last refresh
    QTimer* refreshTimer_ = nullptr;
    QElapsedTimer waiting_; // since the oldest pending frame came
    FrameFilter filter_;
    QCheckBox* errorsOnly_ = nullptr;
    QComboBox* function_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* save_ = nullptr;
    QLabel* count_ = nullptr;
    QTableView* view_ = nullptr;
};

} // namespace qv7

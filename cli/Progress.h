// qv7ctl's progress on a terminal: one line per indicator on stderr, redrawn in place while the
// transfers run and wiped when they end, so that nothing of it stays in a script's output. Main
// thread.
#pragma once

#include "cli/Options.h"

#include <QString>
#include <QStringList>

namespace qv7::cli {

bool stderrIsTerminal();

// How many replies the command's transfers take on one indicator that answers each request once.
int expectedReplies(const Options& options);

// "0003 write [######..............]  30%"; a finished one shows `final` instead of the bar.
QString progressLine(const QString& name, const QString& command, int replies, int expected,
                     const QString& final = {});

class ProgressBoard {
public:
    // Draws nothing unless `enabled` (stderr a terminal).
    explicit ProgressBoard(bool enabled) : enabled_(enabled) {}
    ~ProgressBoard() { clear(); }
    ProgressBoard(const ProgressBoard&) = delete;
    ProgressBoard& operator=(const ProgressBoard&) = delete;

    bool enabled() const { return enabled_; }
    // Replaces the lines drawn last with these.
    void draw(const QStringList& lines);
    // Wipes the lines drawn.
    void clear();

private:
    bool enabled_;
    int drawn_ = 0;
};

} // namespace qv7::cli

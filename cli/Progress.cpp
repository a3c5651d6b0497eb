#include "cli/Progress.h"

#include "proto/TransferPlan.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace qv7::cli {

namespace {

constexpr int BarWidth = 20;

// Replies of each transfer, as the plan has them.
int replies(Transfer transfer) {
    return repliesOf(transfer);
}
// The table written, then the parameters and the table read back.
int linVerifiedReplies() {
    return replies(Transfer::WriteTable) + replies(Transfer::ReadAll) + replies(Transfer::ReadTable);
}

void put(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
}

} // namespace

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

int expectedReplies(const Options& o) {
    const int readAll = replies(Transfer::ReadAll);
    if (o.command == "write")
        return readAll + replies(Transfer::WriteAll) + readAll + (o.lin.isEmpty() ? 0 : linVerifiedReplies());
    if (o.command == "lin-write") return readAll + linVerifiedReplies();
    if (o.command == "adjust") return readAll + 1; // the command register's echo
    return readAll;                                // read, diff
}

QString progressLine(const QString& name, const QString& command, int replies, int expected,
                     const QString& final) {
    const QString head = QStringLiteral("%1 %2 ").arg(name, command);
    if (!final.isEmpty()) return head + final;
    // A repeated request's late answer may count twice: the bar stops short of full until the end.
    const int percent = expected > 0 ? std::clamp(100 * replies / expected, 0, 99) : 0;
    const int filled = BarWidth * percent / 100;
    return head + '[' + QString(filled, '#') + QString(BarWidth - filled, '.') + ']' +
           QStringLiteral(" %1%").arg(percent, 3);
}

void ProgressBoard::draw(const QStringList& lines) {
    if (!enabled_) return;
    if (drawn_ > 0) put(QStringLiteral("\033[%1A").arg(drawn_));
    for (const QString& line : lines)
        put(QStringLiteral("\r\033[K") + line + '\n');
    // Fewer lines than last time: wipe the rest.
    for (int i = static_cast<int>(lines.size()); i < drawn_; ++i)
        put(QStringLiteral("\r\033[K\n"));
    if (drawn_ > lines.size()) put(QStringLiteral("\033[%1A").arg(drawn_ - lines.size()));
    drawn_ = static_cast<int>(lines.size());
    std::fflush(stderr);
}

void ProgressBoard::clear() {
    if (!enabled_ || drawn_ == 0) return;
    put(QStringLiteral("\033[%1A").arg(drawn_));
    for (int i = 0; i < drawn_; ++i)
        put(QStringLiteral("\r\033[K\n"));
    put(QStringLiteral("\033[%1A").arg(drawn_));
    drawn_ = 0;
    std::fflush(stderr);
}

} // namespace qv7::cli

#include "sheet/SheetPainter.h"

#include "sheet/CurvePlot.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>

namespace qv7::sheet {

namespace {

const QColor BarColour(225, 230, 238);
const QColor MarkColour(255, 243, 176);
const QColor RuleColour(170, 170, 170);
constexpr double FooterPt = 58;
constexpr double PadPt = 2.5;

// Everything a block needs to measure and draw itself on this device.
struct Page {
    QPaintDevice* device;
    double unit;  // one typographic point in device units
    double width; // the paintable area
    double height;
    QFont title, heading, body, small;
    double pt(double points) const { return points * unit; }
};

QFont font(double points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    // Any letter spacing keeps the shaper from joining "fi" or "ff" into one glyph, which a PDF's
    // text would then give back as a ligature character instead of the two letters.
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return f;
}

double textHeight(const Page& page, const QFont& f, double width, const QString& text) {
    const QFontMetricsF metrics(f, page.device);
    return metrics.boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
}

// A block is never cut across pages: a group, the alarm table, the curve.
struct Block {
    double height;
    std::function<void(QPainter&, double top)> draw;
};

// One row of cells, wrapped to their widths; `shade` fills it behind.
struct Cells {
    QStringList texts;
    QList<double> widths; // device units, the row's cells from the left
    QFont font;
    QColor shade = Qt::transparent;
    QList<Qt::Alignment> alignments = {};
};

double rowHeight(const Page& page, const Cells& row) {
    double h = 0;
    for (qsizetype i = 0; i < row.texts.size(); ++i)
        h = std::max(h, textHeight(page, row.font, row.widths[i] - page.pt(2 * PadPt), row.texts[i]));
    return h + page.pt(2 * PadPt);
}

void drawRow(QPainter& p, const Page& page, const Cells& row, double top, double height) {
    if (row.shade != Qt::transparent) {
        double width = 0;
        for (double w : row.widths)
            width += w;
        p.fillRect(QRectF(0, top, width, height), row.shade);
    }
    p.setFont(row.font);
    double x = 0;
    for (qsizetype i = 0; i < row.texts.size(); ++i) {
        const Qt::Alignment align = i < row.alignments.size() ? row.alignments[i] : Qt::AlignLeft;
        const QRectF cell(x + page.pt(PadPt), top + page.pt(PadPt), row.widths[i] - page.pt(2 * PadPt),
                          height - page.pt(2 * PadPt));
        p.drawText(cell, static_cast<int>(Qt::TextWordWrap | Qt::AlignTop | align), row.texts[i]);
        x += row.widths[i];
    }
    p.setPen(QPen(RuleColour, page.pt(0.3)));
    p.drawLine(QPointF(0, top + height), QPointF(x, top + height));
    p.setPen(Qt::black);
}

// Rows stacked into one block.
Block tableBlock(const Page& page, const QList<Cells>& rows) {
    QList<double> heights;
    double total = 0;
    for (const Cells& r : rows)
        total += heights.emplace_back(rowHeight(page, r));
    return {total + page.pt(8), [page, rows, heights](QPainter& p, double top) {
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    drawRow(p, page, rows[i], top, heights[i]);
                    top += heights[i];
                }
            }};
}

Block headerBlock(const Page& page, const SheetContent& c) {
    QList<Cells> rows;
    rows << Cells{{c.title}, {page.width}, page.title};
    for (const auto& [label, text] : c.header)
        rows << Cells{{label, text}, {page.width * 0.3, page.width * 0.7}, page.body};
    if (!c.markLegend.isEmpty()) rows << Cells{{c.markLegend}, {page.width}, page.body, MarkColour};
    return tableBlock(page, rows);
}

QList<double> groupWidths(const Page& page) {
    const double mark = page.pt(12), rest = page.width - mark;
    return {mark, rest * 0.35, rest * 0.37, rest * 0.28};
}

Block groupBlock(const Page& page, const SheetContent& c, const SheetGroup& g) {
    const QList<double> widths = groupWidths(page);
    QList<Cells> rows;
    rows << Cells{{QString(), g.caption, c.valueHeading, c.rangeHeading}, widths, page.heading, BarColour};
    for (const SheetRow& r : g.rows)
        rows << Cells{{r.marked ? QStringLiteral("◆") : QString(), r.label, r.value, r.range},
                      widths,
                      page.body,
                      r.marked ? MarkColour : QColor(Qt::transparent)};
    return tableBlock(page, rows);
}

Block alarmBlock(const Page& page, const SheetContent& c) {
    const AlarmTable& t = c.alarms;
    const double label = page.width * 0.2, range = page.width * 0.2;
    const double column = (page.width - label - range) / std::max<qsizetype>(t.columns.size(), 1);
    QList<double> widths{label};
    for (qsizetype i = 0; i < t.columns.size(); ++i)
        widths << column;
    widths << range;
    QList<Cells> rows;
    rows << Cells{QStringList{c.alarmsCaption} + t.columns + QStringList{c.rangeHeading}, widths,
                  page.heading, BarColour};
    for (const AlarmTable::Line& line : t.lines) {
        QStringList texts{line.label};
        for (qsizetype i = 0; i < line.values.size(); ++i)
            texts << (line.marked[i] ? QStringLiteral("◆ ") : QString()) + line.values[i];
        texts << line.range;
        rows << Cells{texts, widths, page.body,
                      line.marked.contains(true) ? MarkColour : QColor(Qt::transparent)};
    }
    return tableBlock(page, rows);
}

// The curve: its bar, the plot with the first points beside it, then the other points in blocks of
// their own under a heading row of their own, each no taller than a page holds, so that a long
// table flows over the pages and never over a footer.
QList<Block> curveBlocks(const Page& page, const SheetContent& c, double usable) {
    const Cells bar{{c.curveCaption}, {page.width}, page.heading, BarColour};
    const double barHeight = rowHeight(page, bar);
    const Cells note{{c.curveNote}, {page.width}, page.body};
    const double noteHeight = c.curveNote.isEmpty() ? 0 : rowHeight(page, note);
    if (c.curve.empty())
        return {{barHeight + noteHeight + page.pt(8),
                 [page, bar, note, barHeight, noteHeight](QPainter& p, double top) {
                     drawRow(p, page, bar, top, barHeight);
                     if (noteHeight > 0) drawRow(p, page, note, top + barHeight, noteHeight);
                 }}};
    const double side = std::min(page.width * 0.58, page.pt(300));
    const double tableX = side + page.pt(16), tableWidth = page.width - tableX;
    const QList<double> widths{tableWidth * 0.26, tableWidth * 0.37, tableWidth * 0.37};
    const QList<Qt::Alignment> right{Qt::AlignRight, Qt::AlignRight, Qt::AlignRight};
    const Cells heading{c.pointColumns, widths, page.heading, BarColour, right};
    const double headingHeight = rowHeight(page, heading);
    // The points, cut into runs that fit: beside the plot first, then a page each at most.
    QList<QList<Cells>> runs{{}};
    double room = usable - barHeight - page.pt(4) - headingHeight - page.pt(8);
    double filled = 0;
    for (const QStringList& row : c.pointRows) {
        const Cells cells{row, widths, page.small, Qt::transparent, right};
        const double h = rowHeight(page, cells);
        if (!runs.last().isEmpty() && filled + h > room) {
            runs.append(QList<Cells>());
            room = usable - headingHeight - page.pt(8);
            filled = 0;
        }
        runs.last() << cells;
        filled += h;
    }
    const auto heights = [&page](const QList<Cells>& rows) {
        QList<double> list;
        for (const Cells& r : rows)
            list << rowHeight(page, r);
        return list;
    };
    const auto drawRun = [page](QPainter& p, const QList<Cells>& rows, const QList<double>& h, double x,
                                double y) {
        p.save();
        p.translate(x, 0);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            drawRow(p, page, rows[i], y, h[i]);
            y += h[i];
        }
        p.restore();
        return y;
    };
    QList<Block> blocks;
    for (qsizetype n = 0; n < runs.size(); ++n) {
        const QList<Cells> rows = QList<Cells>{heading} + runs[n];
        const QList<double> h = heights(rows);
        double table = 0;
        for (double each : h)
            table += each;
        const bool first = n == 0, last = n + 1 == runs.size();
        const double lead = first ? barHeight + page.pt(4) : 0;
        const double body = first ? std::max(side, table) : table;
        const double tail = last ? noteHeight : 0;
        blocks.append({lead + body + tail + page.pt(8), [=, curve = c.curve, xTitle = c.curveXTitle,
                                                         yTitle = c.curveYTitle](QPainter& p, double top) {
                           double y = top;
                           if (first) {
                               drawRow(p, page, bar, top, barHeight);
                               y = top + barHeight + page.pt(4);
                               drawCurvePlot(p, QRectF(0, y, side, side), curve, page.unit, xTitle, yTitle);
                           }
                           drawRun(p, rows, h, tableX, y);
                           if (tail > 0) drawRow(p, page, note, y + body, noteHeight);
                       }});
    }
    return blocks;
}

// The sign-off lines, the instrument and the page number at the foot of every page.
void drawFooter(QPainter& p, const Page& page, const SheetContent& c, int number, int count) {
    const double top = page.height - page.pt(FooterPt) + page.pt(10);
    p.setPen(QPen(Qt::black, page.pt(0.4)));
    p.setFont(page.body);
    const double half = page.width / 2;
    const QFontMetricsF metrics(page.body, page.device);
    for (int side = 0; side < 2; ++side) {
        const double x = side * half;
        const QString who = side == 0 ? c.configuredBy : c.checkedBy;
        p.drawText(QPointF(x, top + metrics.ascent()), who);
        const double whoEnd = x + metrics.horizontalAdvance(who) + page.pt(4);
        p.drawLine(QPointF(whoEnd, top + metrics.height()),
                   QPointF(x + half - page.pt(12), top + metrics.height()));
        const double dateTop = top + page.pt(18);
        p.drawText(QPointF(x, dateTop + metrics.ascent()), c.dateLabel);
        const double dateEnd = x + metrics.horizontalAdvance(c.dateLabel) + page.pt(4);
        p.drawLine(QPointF(dateEnd, dateTop + metrics.height()),
                   QPointF(x + half - page.pt(12), dateTop + metrics.height()));
    }
    p.setFont(page.small);
    const QRectF foot(0, page.height - page.pt(12), page.width, page.pt(12));
    p.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, c.pageIdentity);
    p.drawText(foot, Qt::AlignRight | Qt::AlignBottom, c.pageOf.arg(number).arg(count));
}

QList<Block> blocksOf(const Page& page, const SheetContent& c, double usable) {
    QList<Block> blocks{headerBlock(page, c)};
    for (const SheetGroup& g : c.groups)
        blocks << groupBlock(page, c, g);
    if (!c.alarms.columns.isEmpty()) blocks << alarmBlock(page, c);
    if (!c.curve.empty() || !c.curveNote.isEmpty()) blocks << curveBlocks(page, c, usable);
    return blocks;
}

} // namespace

int paintSheet(QPagedPaintDevice& device, const SheetContent& c) {
    const double unit = device.logicalDpiY() / 72.0;
    const Page page{
        &device,   unit,     double(device.width()), double(device.height()), font(15, true), font(9, true),
        font(8.5), font(7.5)};
    const double usable = page.height - page.pt(FooterPt);
    const QList<Block> blocks = blocksOf(page, c, usable);
    // Pages first, so that each footer can say how many there are.
    QList<QList<QPair<const Block*, double>>> pages{{}};
    double y = 0;
    for (const Block& b : blocks) {
        if (y > 0 && y + b.height > usable) {
            pages.append(QList<QPair<const Block*, double>>());
            y = 0;
        }
        pages.last().append({&b, y});
        y += b.height;
    }
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    for (qsizetype n = 0; n < pages.size(); ++n) {
        if (n > 0) device.newPage();
        for (const auto& [block, top] : pages[n])
            block->draw(painter, top);
        drawFooter(painter, page, c, static_cast<int>(n + 1), static_cast<int>(pages.size()));
    }
    painter.end();
    return static_cast<int>(pages.size());
}

QPageLayout sheetPageLayout(Paper paper) {
    return QPageLayout(QPageSize(paper == Paper::A4 ? QPageSize::A4 : QPageSize::Letter),
                       QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

QByteArray sheetPdf(const SheetContent& content, const QPageLayout& layout, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("qv7cfg"));
        writer.setPageLayout(layout);
        paintSheet(writer, content);
    }
    return bytes;
}

} // namespace qv7::sheet

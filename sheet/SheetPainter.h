// Lays a configuration sheet out on pages and paints it: on a QPdfWriter for qv7ctl, on the printer
// the window's print dialog chose. Text is drawn as text in DejaVu Sans, so a PDF embeds the font and
// every label and value stays selectable. The thread that owns the device.
#pragma once

#include "sheet/SheetContent.h"

#include <QByteArray>
#include <QPageLayout>

class QPagedPaintDevice;

namespace qv7::sheet {

enum class Paper { A4, Letter };

// Paints `content` on `device`, starting a new page of the device where one is full. The device's
// page layout (size and margins) is the caller's. Returns the number of pages painted.
int paintSheet(QPagedPaintDevice& device, const SheetContent& content);

// The paper in portrait with 15 mm margins.
QPageLayout sheetPageLayout(Paper paper);

// The whole PDF of a sheet, made in memory, for a caller that saves it whole.
QByteArray sheetPdf(const SheetContent& content, const QPageLayout& layout, const QString& title);

} // namespace qv7::sheet

// What the language tests read off the windows: every text a user sees on a widget (its caption,
// its items, its tab and header captions, its hint) and every value a user sets, each under the
// widget's path in its window, and whether each text fits its control and its neighbours.
#pragma once

#include <QMap>
#include <QStringList>

class QWidget;

namespace texts {

// Whether `widget` is on the screen as far as its window goes: not hidden itself nor inside a
// hidden parent, except the pages of a tabbed or stacked widget, which all count as shown.
bool shown(const QWidget* widget);

// "Window/Group/Control" from the object names (class name and index where there is none).
QString pathOf(const QWidget* widget);

// Every shown text of the window and its shown children: captions, items, tab and header captions,
// hints, the window's title; keyed by path and what the text is ("…:text", "…:item2", "…:hint").
QMap<QString, QString> textsOf(const QWidget* window);

// Every value a user sets in the window: line edits, combo boxes, check marks, spin boxes, sliders.
QMap<QString, QString> valuesOf(const QWidget* window);

// Each shown text of the window's visible widgets that does not fit its control (measured with the
// control's font and the style's margins), and each pair of sibling texts that overlap: one line each.
QStringList misfitsOf(const QWidget* window);

} // namespace texts

// Lines of a list dialog that can all be read: a line too long for the list
// is elided in the middle (a path keeps its file's name), carries its full
// text as its tooltip, and is shown whole, wrapped over as many rows as it
// needs, while it is selected.
//
// Entry points: ListTextRoom, WrapToWidth, AddLineAtTop, AddLinesAtEnd,
// ShowSelectedLineWhole.
#pragma once

#include <QFontMetrics>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kv {

// The room of one line's text in `list`: its inside, less the item's
// margins and, with `scrollBar`, the vertical scroll bar.
int ListTextRoom(const QListWidget& list, bool scrollBar);

// `text` broken into rows no wider than `width`, after a "\" or a blank
// where the row holds one, else where the width runs out.
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width);

// Inserts `text` as the first line, with its full text as the tooltip.
void AddLineAtTop(QListWidget& list, const QString& text);

// Appends `lines` in their order, each with its full text as its tooltip:
// one pass, so a long log fills the list in time linear in its size.
void AddLinesAtEnd(QListWidget& list, const QStringList& lines);

// From now on the selected line of `list` shows its full text wrapped and
// the others their own, elided.
void ShowSelectedLineWhole(QListWidget& list);

}  // namespace kv

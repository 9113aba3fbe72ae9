// The selected line is wrapped by hand with line breaks, because the view
// wraps only at blanks and a path has none; the list's rows are then of
// differing heights, so it must not assume uniform ones.
#include "ui/line_list.h"

#include <QStyle>
#include <algorithm>

namespace kv {

int ListTextRoom(const QListWidget& list, bool scrollBar) {
  const QStyle* style = list.style();
  int room = list.contentsRect().width() -
             2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1);
  if (scrollBar) room -= style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
  return room;
}

QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  QString wrapped;
  QString row;
  for (const QChar unit : text) {
    if (!row.isEmpty() && metrics.horizontalAdvance(row + unit) > width) {
      const qsizetype cut = std::max(row.lastIndexOf(u'\\'), row.lastIndexOf(u' '));
      // A break at the row's very start would leave it empty.
      const qsizetype keep = cut > 0 ? cut + 1 : row.size();
      wrapped += row.left(keep) + u'\n';
      row.remove(0, keep);
    }
    row += unit;
  }
  return wrapped + row;
}

void AddLineAtTop(QListWidget& list, const QString& text) {
  auto* item = new QListWidgetItem(text);
  item->setToolTip(text);
  list.insertItem(0, item);
}

void AddLinesAtEnd(QListWidget& list, const QStringList& lines) {
  for (const QString& text : lines) {
    auto* item = new QListWidgetItem(text, &list);
    item->setToolTip(text);
  }
}

void ShowSelectedLineWhole(QListWidget& list) {
  list.setUniformItemSizes(false);
  QObject::connect(&list, &QListWidget::currentItemChanged, &list,
                   [&list](QListWidgetItem* current, QListWidgetItem* previous) {
                     if (previous != nullptr) previous->setText(previous->toolTip());
                     if (current == nullptr) return;
                     current->setText(WrapToWidth(current->toolTip(), QFontMetrics(list.font()),
                                                  ListTextRoom(list, true)));
                   });
}

}  // namespace kv

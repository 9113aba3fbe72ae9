// Making a dialog layout's controls.
#include "ui/dialog_items.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <algorithm>

#include "ui/handset_screen.h"
#include "ui/qt_text.h"

namespace kv {
namespace {

constexpr int kDialogFontDesignPixels = 12;  // 9 points at 96 dots per inch

int ToPixels(int units, int numerator, int denominator, float scale) {
  return Scaled(scale, units * numerator / denominator);
}

QWidget* MakeControl(QWidget* parent, const DialogItem& item, float scale) {
  switch (item.kind) {
    case DialogItemKind::kIcon: {
      auto* label = new QLabel(parent);
      label->setAlignment(Qt::AlignCenter);
      const QRect rect = DialogUnitsToPixels(item, scale);
      if (const IconResource* icon = FindIcon(item.icon)) {
        const int side = std::min(rect.width(), rect.height());
        label->setPixmap(IconPixmap(*icon, QSize(side, side)));
      }
      return label;
    }
    case DialogItemKind::kText:
    case DialogItemKind::kBorderedText: {
      auto* label = new QLabel(ToQString(item.text), parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(item.kind == DialogItemKind::kText);
      if (item.kind == DialogItemKind::kBorderedText) {
        label->setFrameShape(QFrame::Box);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      }
      return label;
    }
    case DialogItemKind::kListView: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setFrameShape(QFrame::Box);
      list->setUniformItemSizes(true);
      // One column as wide as the list: a longer line is cut, not scrolled.
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      list->setTextElideMode(Qt::ElideRight);
      return list;
    }
  }
  return nullptr;
}

}  // namespace

QRect DialogUnitsToPixels(const DialogItem& item, float scale) {
  return QRect(ToPixels(item.x, 5, 4, scale), ToPixels(item.y, 3, 2, scale),
               ToPixels(item.width, 5, 4, scale), ToPixels(item.height, 3, 2, scale));
}

int DialogFontPixels(float scale) { return Scaled(scale, kDialogFontDesignPixels); }

void CreateDialogItems(QWidget* parent, const DialogLayout& layout, float scale) {
  QFont font = parent->font();
  font.setPixelSize(DialogFontPixels(scale));
  for (const DialogItem& item : layout.items) {
    QWidget* control = MakeControl(parent, item, scale);
    if (control == nullptr) continue;
    if (item.id != kNoControlId) control->setObjectName(QString::number(item.id));
    control->setFont(font);
    control->setGeometry(DialogUnitsToPixels(item, scale));
    control->show();
  }
}

QPixmap IconPixmap(const IconResource& icon, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  if (icon.rows.empty() || icon.rows.front().empty()) return pixmap;
  const qreal cellWidth = static_cast<qreal>(size.width()) / icon.rows.front().size();
  const qreal cellHeight = static_cast<qreal>(size.height()) / icon.rows.size();
  QPainter painter(&pixmap);
  for (std::size_t row = 0; row < icon.rows.size(); ++row) {
    for (std::size_t column = 0; column < icon.rows[row].size(); ++column) {
      for (const IconPixel& pixel : icon.palette) {
        if (pixel.key != icon.rows[row][column]) continue;
        painter.fillRect(QRectF(column * cellWidth, row * cellHeight, cellWidth, cellHeight),
                         QColor::fromRgba(pixel.argb));
      }
    }
  }
  return pixmap;
}

}  // namespace kv

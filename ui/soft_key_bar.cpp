// Building the soft-key bar from a menu resource.
#include "ui/soft_key_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <array>

#include "ui/qt_text.h"

namespace kv {
namespace {

const char* const kKeyStyle =
    "QPushButton { background: transparent; color: white; border: none; font-weight: bold; }"
    "QPushButton:pressed { background: #2f6fb8; }"
    "QPushButton::menu-indicator { image: none; width: 0; }";

// A soft key's menu opens upwards from the bar, over the screen, as on the
// handset, whatever room the display leaves below the window; its sub-menus
// open to the left of it where the window ends on the right. All stay
// inside the window's width and above the bar.
class KeepMenuOnScreen final : public QObject {
 public:
  explicit KeepMenuOnScreen(QPushButton* key) : QObject(key), key_(key) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* menu = static_cast<QMenu*>(watched);
    const QWidget* window = key_->window();
    const int left = window->mapToGlobal(QPoint(0, 0)).x();
    const int right = left + window->width();
    const QPoint keyTop = key_->mapToGlobal(QPoint(0, 0));
    const QRect at = menu->geometry();
    if (menu == key_->menu()) {
      menu->move(std::max(left, std::min(keyTop.x(), right - at.width())),
                 keyTop.y() - at.height());
      return false;
    }
    int x = at.x();
    if (at.x() + at.width() > right) x = menu->parentWidget()->geometry().x() - at.width();
    menu->move(std::max(left, x), std::min(at.y(), keyTop.y() - at.height()));
    return false;
  }

 private:
  QPushButton* key_;
};

QPushButton* MakeKey(QWidget* bar, const MenuItem& item, const CommandHandler& onCommand) {
  auto* key = new QPushButton(ToQString(item.text), bar);
  key->setFocusPolicy(Qt::NoFocus);
  key->setObjectName(item.kind == MenuItemKind::kPopup ? QStringLiteral("popup")
                                                       : QString::number(item.command));
  if (item.kind == MenuItemKind::kPopup) {
    auto* menu = new QMenu(key);
    FillSoftKeyMenu(*menu, item.items, onCommand);
    key->setMenu(menu);
    auto* placing = new KeepMenuOnScreen(key);
    menu->installEventFilter(placing);
    for (QMenu* subMenu : menu->findChildren<QMenu*>()) subMenu->installEventFilter(placing);
  } else {
    const int command = item.command;
    QObject::connect(key, &QPushButton::clicked, bar, [onCommand, command] { onCommand(command); });
  }
  return key;
}

}  // namespace

void FillSoftKeyMenu(QMenu& menu, std::span<const MenuItem> items,
                     const CommandHandler& onCommand) {
  for (const MenuItem& item : items) {
    switch (item.kind) {
      case MenuItemKind::kSeparator:
        menu.addSeparator();
        break;
      case MenuItemKind::kPopup:
        FillSoftKeyMenu(*menu.addMenu(ToQString(item.text)), item.items, onCommand);
        break;
      case MenuItemKind::kCommand: {
        const int command = item.command;
        QAction* action = menu.addAction(ToQString(item.text));
        action->setData(command);
        QObject::connect(action, &QAction::triggered, &menu,
                         [onCommand, command] { onCommand(command); });
        break;
      }
    }
  }
}

QWidget* CreateSoftKeyBar(QWidget* place, int menuId, const CommandHandler& onCommand,
                          MessageBoxes& boxes, const QWidget* owner) {
  const MenuResource* menu = FindMenu(menuId);
  if (place == nullptr || menu == nullptr || menu->keys.size() != 2) {
    (void)boxes.Show(owner, u"SHCreateMenuBar Failed", u"Error", MessageButtons::kOk,
                     MessageIcon::kError);
    return nullptr;
  }
  auto* bar = new QWidget(place);
  bar->setObjectName(QStringLiteral("softKeyBar"));
  bar->setGeometry(place->rect());
  bar->setStyleSheet(QString::fromLatin1(kKeyStyle));
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  QFont font = place->font();
  font.setPixelSize(place->height() / 2);
  // The handset's soft-key buttons send F1 (left) and F2 (right).
  const std::array<Qt::Key, 2> hardKeys = {Qt::Key_F1, Qt::Key_F2};
  for (std::size_t i = 0; i < hardKeys.size(); ++i) {
    QPushButton* key = MakeKey(bar, menu->keys[i], onCommand);
    key->setFont(font);
    key->setMinimumHeight(place->height());
    row->addWidget(key, 1);
    auto* shortcut = new QShortcut(QKeySequence(hardKeys[i]), place->window());
    QObject::connect(shortcut, &QShortcut::activated, key, &QPushButton::click);
  }
  bar->show();
  return bar;
}

}  // namespace kv

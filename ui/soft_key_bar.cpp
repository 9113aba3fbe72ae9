// Building the soft-key bar from a menu resource.
#include "ui/soft_key_bar.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "ui/qt_text.h"

namespace kv::ui {
namespace {

const char* const kKeyStyle =
    "QPushButton { background: transparent; color: white; border: none; font-weight: bold; }"
    "QPushButton:pressed { background: #2f6fb8; }"
    "QPushButton::menu-indicator { image: none; width: 0; }";

QPushButton* MakeKey(QWidget* bar, const resources::MenuItem& item,
                     const CommandHandler& onCommand) {
  auto* key = new QPushButton(ToQString(item.text), bar);
  key->setFocusPolicy(Qt::NoFocus);
  key->setObjectName(item.kind == resources::MenuItemKind::kPopup ? QStringLiteral("popup")
                                                                  : QString::number(item.command));
  if (item.kind == resources::MenuItemKind::kPopup) {
    auto* menu = new QMenu(key);
    FillSoftKeyMenu(*menu, item.items, onCommand);
    key->setMenu(menu);
  } else {
    const int command = item.command;
    QObject::connect(key, &QPushButton::clicked, bar, [onCommand, command] { onCommand(command); });
  }
  return key;
}

}  // namespace

void FillSoftKeyMenu(QMenu& menu, std::span<const resources::MenuItem> items,
                     const CommandHandler& onCommand) {
  for (const resources::MenuItem& item : items) {
    switch (item.kind) {
      case resources::MenuItemKind::kSeparator:
        menu.addSeparator();
        break;
      case resources::MenuItemKind::kPopup:
        FillSoftKeyMenu(*menu.addMenu(ToQString(item.text)), item.items, onCommand);
        break;
      case resources::MenuItemKind::kCommand: {
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
                          platform::MessageBoxes& boxes, const QWidget* owner) {
  const resources::MenuResource* menu = resources::FindMenu(menuId);
  if (place == nullptr || menu == nullptr || menu->keys.size() != 2) {
    (void)boxes.Show(owner, u"SHCreateMenuBar Failed", u"Error", platform::MessageButtons::kOk,
                     platform::MessageIcon::kError);
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
  for (const resources::MenuItem& item : menu->keys) {
    QPushButton* key = MakeKey(bar, item, onCommand);
    key->setFont(font);
    key->setMinimumHeight(place->height());
    row->addWidget(key, 1);
  }
  bar->show();
  return bar;
}

}  // namespace kv::ui

// The handset window's frame: strip, client area, soft-key place.
#include "ui/handset_frame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "resources/command_ids.h"

namespace kv {
namespace {

constexpr int kFrameFontDesignPixels = 12;

const char* const kStripStyle =
    "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1b3d6e, stop:1 #0b1f3d);"
    "color: white;";

}  // namespace

int FrameFontPixels(float scale) { return Scaled(scale, kFrameFontDesignPixels); }

HandsetFrame::HandsetFrame(QWidget& window, const HandsetScreen& screen, const QString& title,
                           CommandHandler okCommand) {
  const float scale = screen.Scale();
  const int strip = screen.StripHeight();
  window.setFixedSize(screen.width, screen.height);
  window.setWindowTitle(title);
  QFont font = window.font();
  font.setPixelSize(FrameFontPixels(scale));

  auto* top = new QWidget(&window);
  top->setGeometry(0, 0, screen.width, strip);
  top->setAttribute(Qt::WA_StyledBackground);
  top->setStyleSheet(QString::fromLatin1(kStripStyle));
  auto* row = new QHBoxLayout(top);
  row->setContentsMargins(Scaled(scale, 6), 0, Scaled(scale, 4), 0);
  auto* titleLabel = new QLabel(title, top);
  titleLabel->setFont(font);
  titleLabel->setStyleSheet(QStringLiteral("background: transparent; font-weight: bold;"));
  row->addWidget(titleLabel, 1);
  if (okCommand) {
    auto* ok = new QToolButton(top);
    ok->setText(QStringLiteral("ok"));
    ok->setFont(font);
    ok->setFocusPolicy(Qt::NoFocus);
    ok->setStyleSheet(
        QStringLiteral("QToolButton { background: #2f6fb8; color: white; border: 1px solid #9cc4ee;"
                       " border-radius: 3px; padding: 0 6px; }"));
    QObject::connect(ok, &QToolButton::clicked, top, [okCommand] { okCommand(ids::kOk); });
    row->addWidget(ok);
  }

  client_ = new QWidget(&window);
  client_->setGeometry(0, strip, screen.width, screen.ClientHeight());
  client_->setAutoFillBackground(true);
  QPalette palette = client_->palette();
  palette.setColor(QPalette::Window, Qt::white);
  client_->setPalette(palette);

  softKeyPlace_ = new QWidget(&window);
  softKeyPlace_->setGeometry(0, screen.height - strip, screen.width, strip);
  softKeyPlace_->setAttribute(Qt::WA_StyledBackground);
  softKeyPlace_->setStyleSheet(QString::fromLatin1(kStripStyle));
}

}  // namespace kv

// The skinned button's painting and its stylus states.
#include "ui/skin_button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/handset_screen.h"

namespace kv {
namespace {

constexpr int kCaptionDivisor = 85;
constexpr int kFocusRingDesignWidth = 2;
constexpr QRgb kFocusRingColour = 0xff2f6fb8;  // the soft keys' pressed blue

}  // namespace

SkinButtonWidget::SkinButtonWidget(QWidget* parent, int imageId, int fontSize, int textIndent,
                                   float scale)
    : QAbstractButton(parent),
      imageId_(imageId),
      fontSize_(fontSize),
      textIndent_(textIndent),
      scale_(scale) {
  setFocusPolicy(Qt::StrongFocus);
}

int SkinButtonWidget::CaptionPixelHeight() const {
  return Scaled(scale_, logicalDpiY()) * fontSize_ / kCaptionDivisor;
}

QRect SkinButtonWidget::CaptionRect() const {
  const QRect item = rect();
  return QRect(QPoint(item.left() + textIndent_, item.top() - static_cast<int>(scale_)),
               item.bottomRight());
}

void SkinButtonWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (!font_) {
    QFont font(QStringLiteral("Tahoma"));
    font.setBold(true);
    const int height = CaptionPixelHeight();
    if (height > 0) font.setPixelSize(height);
    font_ = font;
  }
  painter.setFont(*font_);

  bool pressedLook = false;
  QColor textColour = Qt::black;
  if (isDown()) {
    if (state_ == State::kPressed) {
      pressedLook = true;
    } else {
      textColour = palette().color(QPalette::WindowText);
    }
  } else {
    state_ = State::kNormal;
  }

  painter.fillRect(rect(), Qt::white);
  lastImageId_ = pressedLook ? imageId_ + 1 : imageId_;
  lastImageDrawn_ = image_.Draw(lastImageId_, painter, rect());
  if (!text().isEmpty()) {
    painter.setPen(textColour);
    painter.drawText(CaptionRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
  }
  if (hasFocus()) {
    const int ring = std::max(1, Scaled(scale_, kFocusRingDesignWidth));
    painter.setPen(QPen(QColor(kFocusRingColour), ring));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(ring / 2, ring / 2, -(ring + 1) / 2, -(ring + 1) / 2));
  }
}

void SkinButtonWidget::mousePressEvent(QMouseEvent* event) {
  state_ = State::kPressed;
  QAbstractButton::mousePressEvent(event);
}

void SkinButtonWidget::mouseMoveEvent(QMouseEvent* event) {
  state_ = rect().contains(event->position().toPoint()) ? State::kPressed : State::kNormal;
  QAbstractButton::mouseMoveEvent(event);
}

void SkinButtonWidget::mouseReleaseEvent(QMouseEvent* event) {
  state_ = State::kReleased;
  QAbstractButton::mouseReleaseEvent(event);
}

void SkinButtonWidget::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
      click();
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      focusNextChild();
      break;
    case Qt::Key_Up:
    case Qt::Key_Left:
      focusPreviousChild();
      break;
    default:
      QAbstractButton::keyPressEvent(event);  // Space, Tab
      return;
  }
  event->accept();
}

SkinButton::~SkinButton() { delete widget_.data(); }

bool SkinButton::Create(QWidget* parent, const QRect& rect, const QString& caption, int controlId,
                        int imageId, int fontSize, int textIndent, float scale) {
  if (textIndent < 0) return false;
  delete widget_.data();
  widget_ = new SkinButtonWidget(parent, imageId, fontSize, textIndent, scale);
  widget_->setText(caption);
  widget_->setObjectName(QString::number(controlId));
  widget_->setGeometry(rect);
  widget_->raise();
  widget_->show();
  return true;
}

}  // namespace kv

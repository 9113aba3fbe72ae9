// The skinned banner's painting.
#include "ui/skin_panel.h"

#include <QFontMetrics>
#include <QPainter>

#include "resources/string_table.h"
#include "ui/handset_screen.h"
#include "ui/qt_text.h"

namespace kv {
namespace {

constexpr int kPointsPerInch = 72;
constexpr int kEnglishTallBanner = 6565;
constexpr int kEnglishShortBanner = 6566;

}  // namespace

int TitleBannerImage(bool tall) { return tall ? kEnglishTallBanner : kEnglishShortBanner; }

SkinPanelWidget::SkinPanelWidget(QWidget* parent, int imageId, PanelCaption caption, float scale)
    : QWidget(parent), imageId_(imageId), caption_(std::move(caption)), scale_(scale) {}

int SkinPanelWidget::CaptionPixelHeight() const {
  return Scaled(scale_, logicalDpiY()) * caption_.fontSize / kPointsPerInch;
}

void SkinPanelWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  (void)image_.Draw(imageId_, painter, rect());

  QFont font(LoadQString(strings::kSkinFontFace));
  font.setWeight(QFont::Normal);
  font.setUnderline(false);
  const int height = CaptionPixelHeight();
  if (height > 0) font.setPixelSize(height);
  painter.setFont(font);
  const QRect area = rect().adjusted(caption_.textX, caption_.textY, 0, 0);
  lastDrawnCaption_ = QFontMetrics(font).elidedText(caption_.text, Qt::ElideRight, area.width());
  painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lastDrawnCaption_);
}

SkinPanel::~SkinPanel() { delete widget_.data(); }

void SkinPanel::SetCaption(const QString& text, int textX, int textY, int fontSize) {
  caption_ = PanelCaption{text.left(kMaxCaptionLength), textX, textY, fontSize};
}

bool SkinPanel::Create(QWidget* parent, const QRect& rect, int controlId, int imageId,
                       float scale) {
  delete widget_.data();
  widget_ = new SkinPanelWidget(parent, imageId, caption_, scale);
  widget_->setObjectName(QString::number(controlId));
  widget_->setGeometry(rect);
  widget_->show();
  return true;
}

}  // namespace kv

#include "CXPGroupBox.h"

#include <QPainter>

namespace {

constexpr int kCaptionHeight = 22;

}  // namespace

CXPGroupBox::CXPGroupBox(QWidget* parent) : QWidget(parent) {}

void CXPGroupBox::SetBorderColor(const QColor& color) {
    border_ = color;
    update();
}

void CXPGroupBox::SetFillColor(const QColor& color) {
    fill_ = color;
    update();
}

void CXPGroupBox::SetCaption(const QString& caption, const QColor& band) {
    caption_ = caption;
    band_ = band;
    update();
}

QRect CXPGroupBox::ContentRect() const {
    const int top = caption_.isEmpty() ? 1 : kCaptionHeight;
    return rect().adjusted(1, top, -1, -1);
}

void CXPGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // No antialiasing: the border keeps its exact colour.
    painter.fillRect(rect(), fill_);
    if (!caption_.isEmpty()) {
        const QRect band(0, 0, width(), kCaptionHeight);
        painter.fillRect(band, band_);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
    }
    painter.setPen(border_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

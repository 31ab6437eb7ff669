#include "CColorStatic.h"

CColorStatic::CColorStatic(QWidget* parent) : QLabel(parent) {}

void CColorStatic::SetTextColor(const QColor& color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

void CColorStatic::SetBkColor(const QColor& color) {
    setAutoFillBackground(color.isValid());
    if (!color.isValid()) return;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
}

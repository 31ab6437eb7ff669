#pragma once
// A static text with its own text and background colours.
#include <QColor>
#include <QLabel>

class CColorStatic : public QLabel {
    Q_OBJECT

public:
    explicit CColorStatic(QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    // An invalid colour leaves the parent's background showing.
    void SetBkColor(const QColor& color);
};

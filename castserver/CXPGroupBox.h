#pragma once
// A flat group frame: a one-pixel border in the frame colour, an optional
// caption on a band of the caption colour, and the inside filled.
#include <QColor>
#include <QString>
#include <QWidget>

class CXPGroupBox : public QWidget {
    Q_OBJECT

public:
    explicit CXPGroupBox(QWidget* parent = nullptr);

    void SetBorderColor(const QColor& color);
    void SetFillColor(const QColor& color);
    void SetCaption(const QString& caption, const QColor& band);
    // The area left for children inside the border and the caption band.
    QRect ContentRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor border_{156, 167, 167};
    QColor fill_{Qt::white};
    QColor band_;
    QString caption_;
};

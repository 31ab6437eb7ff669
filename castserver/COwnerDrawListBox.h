#pragma once
// The owner-drawn list of the main window: each entry shows a check-box
// image, a title, a status line and a path line on the list's background,
// with the selected entry on the "clicked" image.
#include <QColor>
#include <QListWidget>
#include <QPixmap>
#include <QString>

class COwnerDrawListBox : public QListWidget {
    Q_OBJECT

public:
    struct Entry {
        QString title;
        QString status;
        QString path;
        bool checked = true;
        bool enabled = true;
    };
    struct Images {
        QPixmap clicked, unclicked;  // entry backgrounds
        QPixmap checked, unchecked, disabled_checked, disabled_unchecked;
    };

    static constexpr int kEntryHeight = 72;

    explicit COwnerDrawListBox(QWidget* parent = nullptr);

    void AddEntry(const Entry& entry);
    // Background, separator lines, secondary text.
    void SetColors(const QColor& background, const QColor& line, const QColor& text);
    void SetImages(Images images);

    const QColor& LineColor() const { return line_; }
    const QColor& TextColor() const { return text_; }
    const Images& EntryImages() const { return images_; }

private:
    QColor line_;
    QColor text_;
    Images images_;
};

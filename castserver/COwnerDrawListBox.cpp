#include "COwnerDrawListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

enum Role { kStatus = Qt::UserRole, kPath, kChecked, kEnabled };

class EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(COwnerDrawListBox* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), COwnerDrawListBox::kEntryHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto& images = list_->EntryImages();
        const QRect r = option.rect;
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        const QPixmap& background = selected ? images.clicked : images.unclicked;
        if (!background.isNull()) painter->drawPixmap(r, background);

        const bool checked = index.data(kChecked).toBool();
        const bool enabled = index.data(kEnabled).toBool();
        const QPixmap& box = enabled
                                 ? (checked ? images.checked : images.unchecked)
                                 : (checked ? images.disabled_checked : images.disabled_unchecked);
        if (!box.isNull())
            painter->drawPixmap(r.left() + 12, r.top() + (r.height() - box.height()) / 2, box);

        const int text_left = r.left() + 44;
        QFont title_font = option.font;
        title_font.setBold(true);
        painter->setFont(title_font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(QRect(text_left, r.top() + 6, r.right() - text_left - 8, 20),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
        painter->setFont(option.font);
        painter->setPen(list_->TextColor());
        painter->drawText(QRect(text_left, r.top() + 27, r.right() - text_left - 8, 18),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data(kStatus).toString());
        painter->drawText(QRect(text_left, r.top() + 46, r.right() - text_left - 8, 18),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data(kPath).toString());

        painter->setPen(list_->LineColor());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->restore();
    }

private:
    COwnerDrawListBox* list_;
};

}  // namespace

COwnerDrawListBox::COwnerDrawListBox(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new EntryDelegate(this));
}

void COwnerDrawListBox::AddEntry(const Entry& entry) {
    auto* item = new QListWidgetItem(entry.title, this);
    item->setData(kStatus, entry.status);
    item->setData(kPath, entry.path);
    item->setData(kChecked, entry.checked);
    item->setData(kEnabled, entry.enabled);
}

void COwnerDrawListBox::SetColors(const QColor& background, const QColor& line,
                                  const QColor& text) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    setPalette(palette);
    viewport()->setAutoFillBackground(true);
    line_ = line;
    text_ = text;
    viewport()->update();
}

void COwnerDrawListBox::SetImages(Images images) {
    images_ = std::move(images);
    viewport()->update();
}

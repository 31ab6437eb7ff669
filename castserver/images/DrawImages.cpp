// Draws the main window's images into the folder given on the command line
// (data/castserver/image in the source tree). Run it again after changing a
// drawing; the PNG files are kept in the tree so that a build needs no
// display.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace {

const QColor kTitleTop(52, 104, 138);
const QColor kTitleBottom(32, 76, 104);
const QColor kBorder(156, 167, 167);
const QColor kBody(Qt::white);
const QColor kAccent(38, 132, 150);
const QColor kGlyph(Qt::white);

QString folder;

bool Save(const char* name, int width, int height, const std::function<void(QPainter&)>& draw) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    const bool saved = image.save(folder + "/" + name);
    if (!saved) std::fprintf(stderr, "cannot write %s\n", name);
    return saved;
}

// The title band, with the border line on the given sides.
void Title(QPainter& p, int width, bool left, bool right) {
    QLinearGradient gradient(0, 0, 0, 30);
    gradient.setColorAt(0, kTitleTop);
    gradient.setColorAt(1, kTitleBottom);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width, 30, gradient);
    p.setPen(kTitleBottom.darker(130));
    p.drawLine(0, 0, width - 1, 0);
    if (left) p.drawLine(0, 0, 0, 29);
    if (right) p.drawLine(width - 1, 0, width - 1, 29);
}

// A body piece: white, with the border on the given sides.
void Body(QPainter& p, int width, int height, bool left, bool right, bool bottom) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width, height, kBody);
    p.setPen(kBorder);
    if (left) p.drawLine(0, 0, 0, height - 1);
    if (right) p.drawLine(width - 1, 0, width - 1, height - 1);
    if (bottom) p.drawLine(0, height - 1, width - 1, height - 1);
}

void CheckBox(QPainter& p, bool enabled, bool checked) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(1, 1, 14, 14, enabled ? QColor(Qt::white) : QColor(228, 228, 228));
    p.setPen(enabled ? QColor(112, 134, 146) : QColor(176, 176, 176));
    p.drawRect(1, 1, 13, 13);
    if (!checked) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(enabled ? kAccent : QColor(160, 160, 160), 2.2, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 10.8), QPointF(11.8, 4.8)}));
}

void Button(QPainter& p, int width, int height, const QColor& fill, const char* text) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), 4, 4);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, fill.lighter(115));
    gradient.setColorAt(1, fill);
    p.fillPath(path, gradient);
    p.setPen(fill.darker(125));
    p.drawPath(path);
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, width, height), Qt::AlignCenter, text);
}

QPen GlyphPen(qreal width = 2) {
    return QPen(kGlyph, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A folder outline, used by the browse button and the share mark.
void FolderShape(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top() + r.height() * 0.15);
    path.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.15);
    path.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.3);
    path.lineTo(r.right(), r.top() + r.height() * 0.3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    folder = argv[1];
    bool ok = true;

    ok &= Save("wbg_tl.png", 8, 30, [](QPainter& p) { Title(p, 8, true, false); });
    ok &= Save("wbg_tc.png", 8, 30, [](QPainter& p) { Title(p, 8, false, false); });
    ok &= Save("wbg_tr.png", 8, 30, [](QPainter& p) { Title(p, 8, false, true); });
    ok &= Save("wbg_ml.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, true, false, false); });
    ok &= Save("wbg_mc.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, false, false, false); });
    ok &= Save("wbg_mr.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, false, true, false); });
    ok &= Save("wbg_bl.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, true, false, true); });
    ok &= Save("wbg_bc.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, false, false, true); });
    ok &= Save("wbg_br.png", 8, 8, [](QPainter& p) { Body(p, 8, 8, false, true, true); });

    // Title buttons, 26 x 22, white glyphs: browse, menu, minimise, close.
    ok &= Save("SystemButton_r1_c1.png", 26, 22, [](QPainter& p) {
        p.setPen(GlyphPen(1.6));
        FolderShape(p, QRectF(6.5, 5.5, 13, 11));
    });
    ok &= Save("SystemButton_r1_c3.png", 26, 22, [](QPainter& p) {
        p.setPen(GlyphPen());
        for (int y : {7, 11, 15}) p.drawLine(QPointF(7.5, y), QPointF(18.5, y));
    });
    ok &= Save("SystemButton_r1_c5.png", 26, 22, [](QPainter& p) {
        p.setPen(GlyphPen());
        p.drawLine(QPointF(7.5, 15), QPointF(18.5, 15));
    });
    ok &= Save("SystemButton_r1_c7.png", 26, 22, [](QPainter& p) {
        p.setPen(GlyphPen());
        p.drawLine(QPointF(8.5, 6.5), QPointF(17.5, 15.5));
        p.drawLine(QPointF(17.5, 6.5), QPointF(8.5, 15.5));
    });

    ok &= Save("checkbox_normal.png", 16, 16, [](QPainter& p) { CheckBox(p, true, false); });
    ok &= Save("checkbox_normal_Chk.png", 16, 16, [](QPainter& p) { CheckBox(p, true, true); });
    ok &= Save("checkbox_disable.png", 16, 16, [](QPainter& p) { CheckBox(p, false, false); });
    ok &= Save("checkbox_disable_Chk.png", 16, 16, [](QPainter& p) { CheckBox(p, false, true); });

    // Entry backgrounds, stretched over the entry.
    ok &= Save("list_Click.png", 8, 72, [](QPainter& p) {
        QLinearGradient gradient(0, 0, 0, 72);
        gradient.setColorAt(0, QColor(222, 234, 237));
        gradient.setColorAt(1, QColor(204, 218, 221));
        p.fillRect(0, 0, 8, 72, gradient);
    });
    ok &= Save("list_unClick.png", 8, 72, [](QPainter& p) {
        QLinearGradient gradient(0, 0, 0, 72);
        gradient.setColorAt(0, QColor(252, 252, 252));
        gradient.setColorAt(1, QColor(244, 245, 245));
        p.fillRect(0, 0, 8, 72, gradient);
    });

    ok &= Save("share.png", 24, 24, [](QPainter& p) {
        p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(38, 132, 150, 40));
        FolderShape(p, QRectF(2.5, 4.5, 19, 16));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7.5, 9.5, 9, 9), 30 * 16, 120 * 16);
        p.drawArc(QRectF(10, 12, 4, 4), 30 * 16, 120 * 16);
    });
    ok &= Save("save_n.png", 72, 28, [](QPainter& p) { Button(p, 72, 28, kAccent, "Save"); });
    ok &= Save("exit_n.png", 72, 28,
               [](QPainter& p) { Button(p, 72, 28, QColor(140, 150, 152), "Exit"); });

    // The application's icon: a screen with casting waves.
    ok &= Save("PCBriskenServer.png", 48, 48, [](QPainter& p) {
        QPainterPath screen;
        screen.addRoundedRect(QRectF(3, 6, 42, 29), 4, 4);
        QLinearGradient gradient(0, 6, 0, 35);
        gradient.setColorAt(0, kTitleTop.lighter(120));
        gradient.setColorAt(1, kTitleBottom);
        p.fillPath(screen, gradient);
        p.fillRect(QRectF(19, 35, 10, 5), kTitleBottom);
        p.fillRect(QRectF(13, 40, 22, 3), kTitleBottom);
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(8, 20, 20, 20), 0, 90 * 16);
        p.drawArc(QRectF(13, 25, 10, 10), 0, 90 * 16);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(18, 30), 2.2, 2.2);
    });
    return ok ? 0 : 1;
}

// mkpics <outdir>: draws the program's pictures with QPainter and writes them into outdir.
//
// Files written (BMP pictures are opaque; every size in pixels):
//   vornup.bmp      32x24    number button: unanswered
//   vorndw.bmp      32x24    number button: unanswered, selected
//   vornyes.bmp     32x24    number button: answered right
//   vornno.bmp      32x24    number button: answered wrong
//   vorndw_r.bmp    32x24    number button: right, selected
//   vorndw_w.bmp    32x24    number button: wrong, selected
//   vornover.bmp    32x24    number button: answer stored but not judged (exam) / hover
//   vorntxup.bmp    96x28    question-kind button: normal
//   vorntxdw.bmp    96x28    question-kind button: pressed
//   bg_start.bmp    1024x768 start window, behind the menu
//   bg_start_800x600.bmp  the same scaled to an 800x600 screen as the menu scales it, so that
//                   the menu shows it without scaling at start
// The two start-window pictures and bg_window.bmp are written as 32-bit top-down BMPs that the
// program maps and shows as they are (writeScreenBmp); the others as Qt writes BMPs (24-bit).
//   bg_dlg.bmp      399x110  prompt dialog, title strip in the top 22 rows
//   bg_progress.bmp 358x63   progress window
//   bg_about.bmp    395x266  about window, emblem on the left, room for text on the right
//   bg_window.bmp   800x600  practice windows
//   bg_plan.bmp     460x250  study plan window
//   icon_info.bmp   48x48    prompt icon: information (blue circle, "i")
//   icon_warn.bmp   48x48    prompt icon: warning (amber triangle, "!")
//   icon_error.bmp  48x48    prompt icon: error (red circle, "×")
//   app_icon.png    64x64    application icon, transparent background
//
// The button pictures carry no caption: the buttons draw their own caption over the centre.
// Their corners show kPanel, the colour of bg_window.bmp; the icons stand on kDialogBody, the
// body colour of bg_dlg.bmp. The glyphs are drawn as shapes: no font and no GUI session needed.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

// Shared palette.
const QColor kPanel(0xED, 0xF1, 0xF5);      // practice window background, button corners
const QColor kDialogBody(0xEE, 0xF3, 0xF8); // prompt dialog body, icon background
const QColor kInk(0x1F, 0x3A, 0x56);        // dark blue for lines and shapes
const QColor kBlue(0x2F, 0x6D, 0xB0);       // accent
const QColor kBlueDeep(0x21, 0x50, 0x7E);
const QColor kGreen(0x2E, 0x9E, 0x4F);

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

constexpr int kDotsPerMeter = 3780; // 96 dpi, recorded in the files

QImage canvas(int w, int h, QImage::Format format)
{
    QImage img(w, h, format);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    return img;
}

QImage opaqueCanvas(int w, int h, const QColor &fill)
{
    QImage img = canvas(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

// ---------------------------------------------------------------------------------------------
// Number buttons (32x24) and kind buttons (96x28)

struct TileTone
{
    QColor top;    // fill at the top edge
    QColor bottom; // fill at the bottom edge
    QColor border; // 1 px frame in the normal state
    QColor strong; // 2 px frame and glow in the selected state, corner mark
};

const TileTone kToneNeutral{QColor(0xF7, 0xF9, 0xFB), QColor(0xD3, 0xDC, 0xE6),
                            QColor(0x8E, 0xA0, 0xB3), QColor(0x2F, 0x6D, 0xB0)};
const TileTone kToneRight{QColor(0xEC, 0xF8, 0xEE), QColor(0xAE, 0xDD, 0xB8),
                          QColor(0x4F, 0x9E, 0x60), QColor(0x1F, 0x84, 0x3C)};
const TileTone kToneWrong{QColor(0xFD, 0xEE, 0xEC), QColor(0xF1, 0xB4, 0xAD),
                          QColor(0xC2, 0x5A, 0x4F), QColor(0xB0, 0x28, 0x1F)};
const TileTone kToneStored{QColor(0xEE, 0xF5, 0xFD), QColor(0xB9, 0xD4, 0xF0),
                           QColor(0x4F, 0x86, 0xBF), QColor(0x2F, 0x6D, 0xB0)};

enum class Mark
{
    None,
    Corner,
    Dot
};

QImage numberTile(const TileTone &tone, bool selected, Mark mark)
{
    const int w = 32, h = 24;
    QImage img = opaqueCanvas(w, h, kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    QRectF inner;
    if (selected) {
        // soft glow, then a 2 px frame in the strong colour
        p.fillPath(roundedRect(QRectF(0, 0, w, h), 6), withAlpha(tone.strong, 70));
        p.fillPath(roundedRect(QRectF(1, 1, w - 2, h - 2), 5), tone.strong);
        inner = QRectF(3, 3, w - 6, h - 6);
        QLinearGradient g =
            vertical(inner.top(), inner.bottom(), tone.top.lighter(103), tone.bottom.darker(104));
        p.fillPath(roundedRect(inner, 3), g);
    } else {
        p.fillPath(roundedRect(QRectF(1, 1, w - 2, h - 2), 4.5), tone.border);
        inner = QRectF(2, 2, w - 4, h - 4);
        p.fillPath(roundedRect(inner, 3.5),
                   vertical(inner.top(), inner.bottom(), tone.top, tone.bottom));
    }

    p.save();
    p.setClipPath(roundedRect(inner, 3));
    // glossy upper half and a faint shade along the bottom edge
    p.fillRect(QRectF(inner.left(), inner.top(), inner.width(), inner.height() * 0.45),
               vertical(inner.top(), inner.top() + inner.height() * 0.45,
                        QColor(255, 255, 255, 130), QColor(255, 255, 255, 20)));
    p.fillRect(QRectF(inner.left(), inner.bottom() - 2, inner.width(), 2),
               withAlpha(tone.border, 50));
    if (mark == Mark::Corner) {
        // folded corner at the top right tells right from wrong without relying on colour only
        QPainterPath ear;
        ear.moveTo(inner.right() - 7, inner.top());
        ear.lineTo(inner.right(), inner.top());
        ear.lineTo(inner.right(), inner.top() + 7);
        ear.closeSubpath();
        p.fillPath(ear, withAlpha(tone.strong, 220));
    }
    p.restore();

    if (mark == Mark::Dot) {
        p.setBrush(tone.strong);
        p.drawEllipse(QPointF(inner.right() - 3.5, inner.top() + 3.5), 2.0, 2.0);
    }
    return img;
}

QImage kindButton(bool pressed)
{
    const int w = 96, h = 28;
    QImage img = opaqueCanvas(w, h, kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(1, 1, w - 2, h - 2);
    const QRectF inner = frame.adjusted(1, 1, -1, -1);

    if (pressed) {
        p.fillPath(roundedRect(QRectF(0, 0, w, h), 7), withAlpha(kBlue, 60));
        p.fillPath(roundedRect(frame, 6), kBlue);
        // darker at the top: the button looks pushed in
        p.fillPath(roundedRect(inner, 5),
                   vertical(inner.top(), inner.bottom(), QColor(0xAE, 0xCB, 0xEA),
                            QColor(0xD6, 0xE6, 0xF6)));
        p.save();
        p.setClipPath(roundedRect(inner, 5));
        p.fillRect(QRectF(inner.left(), inner.top(), inner.width(), 3),
                   vertical(inner.top(), inner.top() + 3, QColor(0, 0, 0, 45), QColor(0, 0, 0, 0)));
        p.restore();
        // accent bar at the left: the selected kind
        p.fillPath(roundedRect(QRectF(5, 6, 4, h - 12), 2), kBlueDeep);
    } else {
        p.fillPath(roundedRect(frame, 6), QColor(0x9A, 0xAB, 0xBC));
        p.fillPath(roundedRect(inner, 5),
                   vertical(inner.top(), inner.bottom(), QColor(0xFF, 0xFF, 0xFF),
                            QColor(0xDA, 0xE3, 0xEC)));
        p.save();
        p.setClipPath(roundedRect(inner, 5));
        p.fillRect(QRectF(inner.left(), inner.top(), inner.width(), inner.height() * 0.5),
                   QColor(255, 255, 255, 90));
        p.restore();
        p.fillPath(roundedRect(QRectF(5, 6, 4, h - 12), 2), QColor(0xB8, 0xC6, 0xD4));
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Emblem: a shield with a check mark over an open book (about window, application icon)

QPainterPath shieldPath(const QRectF &r)
{
    const qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
    QPainterPath s;
    s.moveTo(x + w * 0.5, y);
    s.cubicTo(x + w * 0.68, y + h * 0.09, x + w * 0.85, y + h * 0.11, x + w, y + h * 0.11);
    s.cubicTo(x + w, y + h * 0.55, x + w * 0.86, y + h * 0.82, x + w * 0.5, y + h);
    s.cubicTo(x + w * 0.14, y + h * 0.82, x, y + h * 0.55, x, y + h * 0.11);
    s.cubicTo(x + w * 0.15, y + h * 0.11, x + w * 0.32, y + h * 0.09, x + w * 0.5, y);
    s.closeSubpath();
    return s;
}

void drawCheck(QPainter &p, const QRectF &r, const QColor &color, qreal width)
{
    QPainterPath c;
    c.moveTo(r.left(), r.top() + r.height() * 0.55);
    c.lineTo(r.left() + r.width() * 0.38, r.bottom());
    c.lineTo(r.right(), r.top());
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(c);
    p.restore();
}

void drawBook(QPainter &p, const QRectF &r, const QColor &page, const QColor &edge, qreal line)
{
    const qreal cx = r.center().x();
    QPainterPath left, right;
    left.moveTo(cx, r.top() + r.height() * 0.18);
    left.cubicTo(cx - r.width() * 0.18, r.top(), cx - r.width() * 0.36, r.top(), r.left(),
                 r.top() + r.height() * 0.08);
    left.lineTo(r.left(), r.bottom() - r.height() * 0.1);
    left.cubicTo(cx - r.width() * 0.36, r.bottom() - r.height() * 0.2, cx - r.width() * 0.18,
                 r.bottom() - r.height() * 0.18, cx, r.bottom());
    left.closeSubpath();
    QTransform mirror;
    mirror.translate(2 * cx, 0);
    mirror.scale(-1, 1);
    right = mirror.map(left);
    p.save();
    p.setPen(QPen(edge, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(page);
    p.drawPath(left);
    p.drawPath(right);
    // a few text lines on each page
    p.setPen(QPen(withAlpha(edge, 110), line * 0.7, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal yy = r.top() + r.height() * (0.36 + 0.16 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.1, yy),
                   QPointF(cx - r.width() * 0.1, yy + r.height() * 0.04));
        p.drawLine(QPointF(r.right() - r.width() * 0.1, yy),
                   QPointF(cx + r.width() * 0.1, yy + r.height() * 0.04));
    }
    p.restore();
}

void drawEmblem(QPainter &p, const QRectF &r)
{
    // book at the bottom, shield standing on it
    const QRectF book(r.left(), r.top() + r.height() * 0.62, r.width(), r.height() * 0.38);
    drawBook(p, book, QColor(0xFF, 0xFF, 0xFF), kBlueDeep, std::max<qreal>(1.2, r.width() / 70));

    const QRectF shield(r.left() + r.width() * 0.24, r.top(), r.width() * 0.52, r.height() * 0.74);
    const QPainterPath s = shieldPath(shield);
    p.save();
    p.setPen(Qt::NoPen);
    p.translate(0, r.height() * 0.02);
    p.fillPath(s, QColor(0, 0, 0, 40)); // shadow
    p.restore();
    QLinearGradient g(shield.topLeft(), shield.bottomRight());
    g.setColorAt(0, QColor(0x4B, 0x8F, 0xD6));
    g.setColorAt(1, QColor(0x1C, 0x47, 0x75));
    p.fillPath(s, g);
    const qreal rim = shield.width() * 0.07;
    p.setPen(QPen(QColor(255, 255, 255, 230), rim * 0.6));
    p.setBrush(Qt::NoBrush);
    QTransform shrink;
    shrink.translate(shield.center().x(), shield.center().y());
    shrink.scale(0.84, 0.86);
    shrink.translate(-shield.center().x(), -shield.center().y());
    p.drawPath(shrink.map(s));
    const QRectF tick(shield.left() + shield.width() * 0.28, shield.top() + shield.height() * 0.33,
                      shield.width() * 0.44, shield.height() * 0.3);
    drawCheck(p, tick, QColor(0x7E, 0xE0, 0x8E), shield.width() * 0.12);
}

// ---------------------------------------------------------------------------------------------
// Backgrounds

QImage startBackground()
{
    const int w = 1024, h = 768;
    QImage img = opaqueCanvas(w, h, kInk);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient base(0, 0, w * 0.35, h);
    base.setColorAt(0, QColor(0x16, 0x2F, 0x4C));
    base.setColorAt(0.55, QColor(0x22, 0x4B, 0x70));
    base.setColorAt(1, QColor(0x2C, 0x66, 0x86));
    p.fillRect(img.rect(), base);

    QRadialGradient glow(QPointF(w * 0.28, h * 0.22), w * 0.6);
    glow.setColorAt(0, QColor(255, 255, 255, 34));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(img.rect(), glow);

    // dot grid
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 16));
    for (int y = 12; y < h; y += 24)
        for (int x = 12 + ((y / 24) % 2) * 12; x < w; x += 24)
            p.drawEllipse(QPointF(x, y), 1.1, 1.1);

    // concentric arcs from the top right corner
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        const qreal radius = 140 + i * 70;
        p.setPen(QPen(QColor(255, 255, 255, 14 - i), 1.4));
        p.drawEllipse(QPointF(w + 40, -60), radius, radius);
    }

    // two soft waves along the bottom
    for (int k = 0; k < 3; ++k) {
        QPainterPath wave;
        const qreal base_y = h - 150 + k * 42;
        wave.moveTo(0, h);
        wave.lineTo(0, base_y);
        for (int x = 0; x <= w; x += 8)
            wave.lineTo(x, base_y + std::sin(x / (170.0 + k * 40) + k * 1.7) * (22 - k * 5));
        wave.lineTo(w, h);
        wave.closeSubpath();
        p.fillPath(wave, QColor(255, 255, 255, 9 + k * 3));
    }

    // faint vignette keeps the edges quiet
    QRadialGradient vignette(QPointF(w / 2.0, h / 2.0), w * 0.75);
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 60));
    p.fillRect(img.rect(), vignette);
    return img;
}

QImage windowBackground()
{
    const int w = 800, h = 600;
    QImage img = opaqueCanvas(w, h, kPanel);
    QPainter p(&img);
    p.fillRect(img.rect(), vertical(0, h, QColor(0xF1, 0xF4, 0xF7), QColor(0xE9, 0xEE, 0xF3)));
    // very light graph paper
    p.setPen(QPen(QColor(0xC8, 0xD3, 0xDE, 55), 1));
    for (int x = 15; x < w; x += 16)
        p.drawLine(x, 0, x, h);
    for (int y = 15; y < h; y += 16)
        p.drawLine(0, y, w, y);
    p.setPen(QPen(QColor(0xB4, 0xC3, 0xD2, 35), 1));
    for (int x = 79; x < w; x += 80)
        p.drawLine(x, 0, x, h);
    for (int y = 79; y < h; y += 80)
        p.drawLine(0, y, w, y);
    return img;
}

void bevel(QPainter &p, const QRect &r, const QColor &light, const QColor &dark)
{
    p.setPen(light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

QImage dialogBackground()
{
    const int w = 399, h = 110, strip = 22;
    QImage img = opaqueCanvas(w, h, kDialogBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // watermark arcs in the bottom right corner, away from the icon and the message
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(0xD6, 0xE2, 0xEE), 1.2));
        p.drawEllipse(QPointF(w + 10, h + 20), 40.0 + i * 16, 40.0 + i * 16);
    }

    // title strip
    const QRectF title(0, 0, w, strip);
    p.fillRect(title, vertical(0, strip, QColor(0x3E, 0x7D, 0xBE), kBlueDeep));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(255, 255, 255, 70));
    p.drawLine(1, 1, w - 2, 1);
    p.setPen(QColor(0x16, 0x38, 0x5A));
    p.drawLine(0, strip - 1, w - 1, strip - 1);
    // diagonal hatching fading in towards the right end of the strip
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(QRectF(0, 2, w, strip - 3));
    for (int x = 200; x < w + strip; x += 7) {
        const int alpha = (x - 200) * 22 / (w - 200);
        p.setPen(QPen(QColor(255, 255, 255, std::min(alpha, 22)), 2));
        p.drawLine(QPointF(x, strip), QPointF(x + strip, 0));
    }
    p.setClipping(false);

    // frame
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kBlueDeep);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(QColor(255, 255, 255, 180));
    p.drawLine(1, strip, 1, h - 2);
    p.drawLine(1, strip, w - 2, strip);
    return img;
}

QImage progressBackground()
{
    const int w = 358, h = 63;
    QImage img = opaqueCanvas(w, h, QColor(0xC1, 0xD1, 0xE3));
    QPainter p(&img);
    p.fillRect(img.rect(), vertical(0, h, QColor(0xD9, 0xE5, 0xF1), QColor(0xBA, 0xCC, 0xE0)));
    bevel(p, QRect(0, 0, w - 1, h - 1), QColor(0xF7, 0xFA, 0xFD), QColor(0x6E, 0x86, 0xA1));
    bevel(p, QRect(1, 1, w - 3, h - 3), QColor(0xE6, 0xEE, 0xF6), QColor(0x93, 0xA8, 0xBF));
    bevel(p, QRect(5, 5, w - 11, h - 11), QColor(0x9A, 0xAE, 0xC4), QColor(0xF2, 0xF6, 0xFA));

    // striped track along the bottom: work in progress
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track(14, h - 17, w - 28, 7);
    p.fillPath(roundedRect(track, 3.5), QColor(0xA9, 0xBD, 0xD3));
    p.save();
    p.setClipPath(roundedRect(track.adjusted(1, 1, -1, -1), 2.5));
    p.fillRect(track, vertical(track.top(), track.bottom(), QColor(0x6F, 0x9F, 0xD4), kBlue));
    p.setPen(QPen(QColor(255, 255, 255, 70), 3));
    for (qreal x = track.left() - 10; x < track.right() + 10; x += 10)
        p.drawLine(QPointF(x, track.bottom()), QPointF(x + 7, track.top()));
    p.fillRect(QRectF(track.left(), track.top(), track.width(), 2), QColor(255, 255, 255, 70));
    p.restore();
    return img;
}

QImage aboutBackground()
{
    const int w = 395, h = 266;
    QImage img = opaqueCanvas(w, h, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // left panel with the emblem
    const QRectF panel(0, 0, 150, h - 44);
    p.fillRect(panel,
               vertical(0, panel.height(), QColor(0xEA, 0xF2, 0xFA), QColor(0xD9, 0xE7, 0xF5)));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 120), 1.2));
        p.drawEllipse(QPointF(75, 105), 46.0 + i * 14, 46.0 + i * 14);
    }
    QRadialGradient halo(QPointF(75, 100), 62);
    halo.setColorAt(0, QColor(255, 255, 255, 230));
    halo.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(QPointF(75, 100), 62, 62);
    drawEmblem(p, QRectF(33, 52, 84, 104));

    // thin accent line between the panel and the text area
    p.fillRect(QRectF(150, 0, 3, panel.height()),
               vertical(0, panel.height(), kBlue, QColor(0x6F, 0x9F, 0xD4)));

    // button bar
    p.fillRect(QRectF(0, h - 44, w, 44), QColor(0xF3, 0xF6, 0xF9));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0xDC, 0xE4, 0xEC));
    p.drawLine(0, h - 44, w, h - 44);
    return img;
}

QImage planBackground()
{
    const int w = 460, h = 250, head = 44;
    QImage img = opaqueCanvas(w, h, kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), vertical(0, h, QColor(0xF8, 0xFA, 0xFC), QColor(0xE8, 0xEE, 0xF4)));

    // header band for the countdown
    p.fillRect(QRectF(0, 0, w, head),
               vertical(0, head, QColor(0xE1, 0xEC, 0xF7), QColor(0xC9, 0xDB, 0xEE)));
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    for (int x = 250; x < w + head; x += 9)
        p.drawLine(QPointF(x, head), QPointF(x + head, 0));
    p.fillRect(QRectF(0, head - 2, w, 2), vertical(head - 2, head, kBlue, kBlueDeep));

    // faint calendar sheet in the bottom right corner
    const QRectF cal(352, 138, 88, 92);
    const QColor line(0x2F, 0x6D, 0xB0, 34);
    p.setPen(QPen(line, 2));
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(cal, 8, 8);
    p.fillRect(QRectF(cal.left() + 1, cal.top() + 1, cal.width() - 2, 18),
               QColor(0x2F, 0x6D, 0xB0, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            p.drawRoundedRect(QRectF(cal.left() + 9 + c * 15, cal.top() + 28 + r * 15, 10, 9), 2,
                              2);
    p.setPen(QPen(line, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cal.left() + 22, cal.top() - 6), QPointF(cal.left() + 22, cal.top() + 8));
    p.drawLine(QPointF(cal.right() - 22, cal.top() - 6), QPointF(cal.right() - 22, cal.top() + 8));

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0xB4, 0xC4, 0xD4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Prompt icons (48x48) and the application icon

QImage iconInfo()
{
    QImage img = opaqueCanvas(48, 48, kDialogBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(QPointF(24, 25.5), 21, 21);
    QLinearGradient g(0, 3, 0, 45);
    g.setColorAt(0, QColor(0x5A, 0x9E, 0xE6));
    g.setColorAt(1, QColor(0x1C, 0x57, 0x9E));
    p.setBrush(g);
    p.drawEllipse(QPointF(24, 24), 21, 21);
    p.setBrush(vertical(3, 26, QColor(255, 255, 255, 70), QColor(255, 255, 255, 0)));
    p.drawEllipse(QRectF(8, 4, 32, 20));
    // the letter i: dot and stem
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(24, 13.8), 3.5, 3.5);
    p.drawRoundedRect(QRectF(20.8, 20, 6.4, 16.5), 2.2, 2.2);
    return img;
}

QImage iconWarn()
{
    QImage img = opaqueCanvas(48, 48, kDialogBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tri;
    tri.moveTo(24, 4);
    tri.lineTo(45, 42);
    tri.lineTo(3, 42);
    tri.closeSubpath();
    const QPen rounding(Qt::black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPainterPathStroker stroker(rounding);
    const QPainterPath shape = (tri + stroker.createStroke(tri)).simplified();
    p.setPen(Qt::NoPen);
    p.fillPath(shape.translated(0, 1.5), QColor(0, 0, 0, 30));
    QLinearGradient g(0, 3, 0, 45);
    g.setColorAt(0, QColor(0xFF, 0xD0, 0x5C));
    g.setColorAt(1, QColor(0xE8, 0x92, 0x0C));
    p.fillPath(shape, g);
    p.setPen(QPen(QColor(0xB8, 0x70, 0x00), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // the exclamation mark
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3A, 0x2A, 0x05));
    QPainterPath bar;
    bar.moveTo(21.2, 16);
    bar.lineTo(26.8, 16);
    bar.lineTo(25.4, 31);
    bar.lineTo(22.6, 31);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawEllipse(QPointF(24, 36.3), 2.8, 2.8);
    p.drawEllipse(QPointF(24, 16.4), 2.8, 1.6);
    return img;
}

QImage iconError()
{
    QImage img = opaqueCanvas(48, 48, kDialogBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(QPointF(24, 25.5), 21, 21);
    QLinearGradient g(0, 3, 0, 45);
    g.setColorAt(0, QColor(0xF0, 0x6A, 0x5E));
    g.setColorAt(1, QColor(0xA8, 0x20, 0x18));
    p.setBrush(g);
    p.drawEllipse(QPointF(24, 24), 21, 21);
    p.setBrush(vertical(3, 26, QColor(255, 255, 255, 60), QColor(255, 255, 255, 0)));
    p.drawEllipse(QRectF(8, 4, 32, 20));
    // the multiplication sign as two rounded strokes
    p.setPen(QPen(Qt::white, 5.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.5, 16.5), QPointF(31.5, 31.5));
    p.drawLine(QPointF(31.5, 16.5), QPointF(16.5, 31.5));
    return img;
}

// Drawn on a 64-unit grid, scaled to the size asked for (the desktop's icon sizes).
QImage appIcon(int size = 64)
{
    QImage img = canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const QRectF tile(2, 2, 60, 60);
    p.fillPath(roundedRect(tile.translated(0, 1), 14), QColor(0, 0, 0, 50));
    QLinearGradient g(tile.topLeft(), tile.bottomRight());
    g.setColorAt(0, QColor(0x4A, 0x8C, 0xD2));
    g.setColorAt(1, QColor(0x17, 0x3F, 0x6B));
    p.fillPath(roundedRect(tile, 14), g);
    p.save();
    p.setClipPath(roundedRect(tile, 14));
    p.fillRect(QRectF(2, 2, 60, 26),
               vertical(2, 28, QColor(255, 255, 255, 60), QColor(255, 255, 255, 0)));
    p.restore();

    const QRectF book(10, 38, 44, 18);
    drawBook(p, book, QColor(0xF4, 0xF8, 0xFC), QColor(0x12, 0x35, 0x5A), 1.4);
    const QRectF shield(20, 7, 24, 32);
    const QPainterPath s = shieldPath(shield);
    p.fillPath(s.translated(0, 1.2), QColor(0, 0, 0, 60));
    p.fillPath(s, QColor(0xFF, 0xFF, 0xFF));
    drawCheck(p, QRectF(26, 16, 12, 10), kGreen, 3.4);
    return img;
}

// ---------------------------------------------------------------------------------------------

struct Picture
{
    const char *name;
    std::function<QImage()> draw;
};

// A large picture in the screen's own pixel layout: a 32-bit top-down BMP (each pixel
// B, G, R, 255) whose pixels start at offset 64, so that the program maps the file and shows
// it without converting a byte. Any BMP reader reads it as well.
bool writeScreenBmp(const QImage &picture, const QString &path)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const quint32 offset = 64;
    const quint32 rowBytes = quint32(image.width()) * 4;
    const quint32 pixelBytes = rowBytes * quint32(image.height());
    QByteArray bytes(qsizetype(offset), '\0');
    auto put16 = [&bytes](int at, quint16 v) {
        bytes[at] = char(v & 0xff);
        bytes[at + 1] = char(v >> 8);
    };
    auto put32 = [&bytes](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((v >> (8 * i)) & 0xff);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, offset + pixelBytes);
    put32(10, offset);
    put32(14, 40); // BITMAPINFOHEADER
    put32(18, quint32(image.width()));
    put32(22, quint32(-image.height())); // top-down
    put16(26, 1);
    put16(28, 32);
    put32(30, 0); // BI_RGB
    put32(34, pixelBytes);
    put32(38, 3780); // 96 dpi
    put32(42, 3780);
    bytes.reserve(qsizetype(offset + pixelBytes));
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 p = row[x] | 0xff000000u;
            const char px[4] = {char(p & 0xff), char((p >> 8) & 0xff), char((p >> 16) & 0xff),
                                char(0xff)};
            bytes.append(px, 4);
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A picture as the menu shows it on a screen of another size: read back as the 24-bit file
// gives it, scaled smoothly to cover the screen and cut to it from the middle.
QImage scaledForScreen(const QImage &picture, const QSize &screen)
{
    const QImage read = picture.convertToFormat(QImage::Format_RGB32);
    const QImage scaled =
        read.scaled(screen, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - screen.width()) / 2,
                       (scaled.height() - screen.height()) / 2, screen.width(), screen.height());
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    // mkpics --icons <dir>: the application icon at the desktop's sizes, as
    // <dir>/<n>x<n>/apps/studyaid.png (the hicolor theme's layout).
    if (argc == 3 && qstrcmp(argv[1], "--icons") == 0) {
        const QString root = QString::fromLocal8Bit(argv[2]);
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
            if (!QDir().mkpath(dir) ||
                !appIcon(size).save(dir + QStringLiteral("/studyaid.png"), "PNG")) {
                err << "mkpics: cannot write an icon under " << dir << '\n';
                return 1;
            }
        }
        return 0;
    }
    if (argc != 2) {
        err << "usage: mkpics <outdir> | mkpics --icons <dir>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        err << "mkpics: cannot create " << outDir << '\n';
        return 1;
    }

    const Picture pictures[] = {
        {"vornup.bmp", [] { return numberTile(kToneNeutral, false, Mark::None); }},
        {"vorndw.bmp", [] { return numberTile(kToneNeutral, true, Mark::None); }},
        {"vornyes.bmp", [] { return numberTile(kToneRight, false, Mark::Corner); }},
        {"vornno.bmp", [] { return numberTile(kToneWrong, false, Mark::Corner); }},
        {"vorndw_r.bmp", [] { return numberTile(kToneRight, true, Mark::Corner); }},
        {"vorndw_w.bmp", [] { return numberTile(kToneWrong, true, Mark::Corner); }},
        {"vornover.bmp", [] { return numberTile(kToneStored, false, Mark::Dot); }},
        {"vorntxup.bmp", [] { return kindButton(false); }},
        {"vorntxdw.bmp", [] { return kindButton(true); }},
        {"bg_start.bmp", startBackground},
        {"bg_start_800x600.bmp",
         [] {
             return scaledForScreen(startBackground(), {800, 600});
         }},
        {"bg_dlg.bmp", dialogBackground},
        {"bg_progress.bmp", progressBackground},
        {"bg_about.bmp", aboutBackground},
        {"bg_window.bmp", windowBackground},
        {"bg_plan.bmp", planBackground},
        {"icon_info.bmp", iconInfo},
        {"icon_warn.bmp", iconWarn},
        {"icon_error.bmp", iconError},
        {"app_icon.png", [] { return appIcon(); }},
    };

    const QDir dir(outDir);
    int failures = 0;
    for (const Picture &pic : pictures) {
        const QString name = QString::fromLatin1(pic.name);
        const QString path = dir.filePath(name);
        const QImage image = pic.draw();
        const char *format = name.endsWith(QLatin1String(".png")) ? "PNG" : "BMP";
        const bool screen =
            name.startsWith(QLatin1String("bg_start")) || name == QLatin1String("bg_window.bmp");
        if (!(screen ? writeScreenBmp(image, path) : image.save(path, format))) {
            err << "mkpics: cannot write " << path << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

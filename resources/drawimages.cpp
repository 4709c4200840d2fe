// Draws the compiled-in pictures and icons, and the application icon of the
// desktop install. Not part of the normal build: after changing a picture
// here run `vorlap_drawimages resources/images resources/icons` and commit the
// files it writes.
#include <QConicalGradient>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// One palette for all pictures, so that icons and schematics look alike.
const QColor ink(0x1f, 0x29, 0x33);
const QColor coilColor(0xb3, 0x55, 0x00);
const QColor capColor(0x1c, 0x5f, 0xb0);
const QColor trxFill(0xd6, 0xe5, 0xf6);
const QColor loadFill(0xdf, 0xf0, 0xd8);
const QColor planeColor(0xb0, 0x10, 0x28);
const QColor blue(0x1c, 0x5f, 0xb0);
const QColor lightBlue(0x5a, 0xa0, 0xf0);
const QColor green(0x2e, 0x9d, 0x3a);
const QColor red(0xd3, 0x2f, 0x2f);
const QColor yellow(0xf5, 0xc5, 0x18);

enum class Kind { Rgba, Rgb, Palette16 };

QFont font(int pixels, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QPen roundPen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void text(QPainter &p, const QRectF &r, const QString &s, const QFont &f, const QColor &c,
          int align = Qt::AlignCenter)
{
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, align, s);
}

// ---------------------------------------------------------------- schematics

// Humps above the wire, starting at x0 and running right.
void coil(QPainter &p, qreal x0, qreal y, qreal r, int turns, qreal w)
{
    QPainterPath path(QPointF(x0, y));
    for (int i = 0; i < turns; ++i)
        path.arcTo(QRectF(x0 + 2 * r * i, y - r, 2 * r, 2 * r), 180, -180);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(coilColor, w));
    p.drawPath(path);
}

// Vertical capacitor at x between two wires; gap is the clear space between
// the plates.
void capacitor(QPainter &p, qreal x, qreal yTop, qreal yBottom, qreal plate, qreal gap, qreal w,
               qreal plateW)
{
    const qreal cy = (yTop + yBottom) / 2;
    const qreal off = gap / 2 + plateW / 2;
    p.setPen(roundPen(ink, w));
    p.drawLine(QPointF(x, yTop), QPointF(x, cy - off));
    p.drawLine(QPointF(x, cy + off), QPointF(x, yBottom));
    p.setPen(QPen(capColor, plateW, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x - plate / 2, cy - off), QPointF(x + plate / 2, cy - off));
    p.drawLine(QPointF(x - plate / 2, cy + off), QPointF(x + plate / 2, cy + off));
}

void ground(QPainter &p, qreal x, qreal y, qreal width, qreal step, qreal w)
{
    p.setPen(QPen(ink, w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x, y - step), QPointF(x, y));
    for (int i = 0; i < 3; ++i) {
        const qreal half = width / 2 * (3 - i) / 3;
        const qreal yy = y + i * step;
        p.drawLine(QPointF(x - half, yy), QPointF(x + half, yy));
    }
}

void dot(QPainter &p, QPointF c, qreal r, const QColor &color = ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, r, r);
}

void terminal(QPainter &p, QPointF c, qreal r, qreal w)
{
    p.setPen(QPen(ink, w));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
}

void box(QPainter &p, const QRectF &r, const QColor &fill, qreal w, qreal radius)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(112));
    g.setColorAt(1, fill.darker(104));
    p.setPen(QPen(ink, w));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

// Arrow from a to b, the head at b.
void arrow(QPainter &p, QPointF a, QPointF b, qreal w, qreal head, const QColor &c)
{
    const qreal ang = std::atan2(a.y() - b.y(), a.x() - b.x());
    const QPointF dir(std::cos(ang), std::sin(ang));
    p.setPen(roundPen(c, w));
    p.drawLine(a, b + dir * head * 0.7);
    const QPointF h1 = b + QPointF(std::cos(ang + 0.42), std::sin(ang + 0.42)) * head;
    const QPointF h2 = b + QPointF(std::cos(ang - 0.42), std::sin(ang - 0.42)) * head;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({b, h1, h2}));
}

struct NetLayout {
    qreal top, gnd;           // the two rails
    QRectF trx, load;         // boxes
    qreal capX, coilX, coilR; // component positions
    int turns;
    qreal line;     // wire width
    int fontPixels; // box labels
};

// The two configuration pictures: TRX on the left, load on the right, the
// inductor in the top rail and the capacitor on one side of it.
void drawNetwork(QPainter &p, const NetLayout &l)
{
    const qreal trxX = l.trx.center().x();
    const qreal loadX = l.load.center().x();
    const qreal coilEnd = l.coilX + 2 * l.coilR * l.turns;
    p.setPen(roundPen(ink, l.line));
    p.drawLine(QPointF(trxX, l.trx.top()), QPointF(trxX, l.top));
    p.drawLine(QPointF(trxX, l.top), QPointF(l.coilX, l.top));
    p.drawLine(QPointF(coilEnd, l.top), QPointF(loadX, l.top));
    p.drawLine(QPointF(loadX, l.top), QPointF(loadX, l.load.top()));
    p.drawLine(QPointF(trxX, l.trx.bottom()), QPointF(trxX, l.gnd));
    p.drawLine(QPointF(trxX, l.gnd), QPointF(loadX, l.gnd));
    p.drawLine(QPointF(loadX, l.gnd), QPointF(loadX, l.load.bottom()));

    coil(p, l.coilX, l.top, l.coilR, l.turns, l.line + 0.5);
    capacitor(p, l.capX, l.top, l.gnd, l.line * 7, l.line * 2.2, l.line, l.line * 1.3);
    dot(p, QPointF(l.capX, l.top), l.line * 1.1);
    dot(p, QPointF(l.capX, l.gnd), l.line * 1.1);

    box(p, l.trx, trxFill, l.line - 1, 6);
    text(p, l.trx, QStringLiteral("TRX"), font(l.fontPixels), ink);
    box(p, l.load, loadFill, l.line - 1, 6);
    text(p, l.load, QStringLiteral("Load"), font(l.fontPixels), ink);
}

void drawLC(QPainter &p, QSize)
{
    NetLayout l;
    l.top = 22;
    l.gnd = 97;
    l.trx = QRectF(3, 36, 64, 50);
    l.load = QRectF(190, 36, 66, 50);
    l.coilX = 84;
    l.coilR = 9;
    l.turns = 4;
    l.capX = 165;
    l.line = 5;
    l.fontPixels = 21;
    drawNetwork(p, l);
    ground(p, 128, 104, 36, 6, 3.5);
}

void drawCL(QPainter &p, QSize)
{
    NetLayout l;
    l.top = 22;
    l.gnd = 101;
    l.trx = QRectF(3, 37, 66, 50);
    l.load = QRectF(222, 37, 66, 50);
    l.capX = 98;
    l.coilX = 126;
    l.coilR = 10;
    l.turns = 4;
    l.line = 5;
    l.fontPixels = 21;
    drawNetwork(p, l);
    ground(p, 160, 108, 36, 6, 3.5);
}

// A piece of coax lying from xa to xb, centred on y: the jacket in the middle,
// braid, dielectric and centre conductor stripped back at both ends.
void coaxSide(QPainter &p, qreal xa, qreal xb, qreal y)
{
    p.setPen(QPen(QColor(0xa8, 0x62, 0x18), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(xa, y), QPointF(xb, y));

    const QColor dielectric(0xf4, 0xf2, 0xe6);
    p.setPen(QPen(QColor(0x9a, 0x98, 0x8c), 1));
    p.setBrush(dielectric);
    p.drawRect(QRectF(xa + 7, y - 7, xb - xa - 14, 14));

    QLinearGradient braid(0, y - 10, 0, y + 10);
    braid.setColorAt(0, QColor(0xd8, 0xa0, 0x58));
    braid.setColorAt(1, QColor(0x8a, 0x58, 0x20));
    p.setPen(QPen(QColor(0x6a, 0x40, 0x10), 1));
    p.setBrush(braid);
    const QRectF braidRect(xa + 15, y - 10, xb - xa - 30, 20);
    p.drawRect(braidRect);
    p.setPen(QPen(QColor(0x6a, 0x40, 0x10, 150), 1));
    p.save();
    p.setClipRect(braidRect);
    for (qreal x = braidRect.left() - 20; x < braidRect.right() + 20; x += 4) {
        p.drawLine(QPointF(x, y - 10), QPointF(x + 20, y + 10));
        p.drawLine(QPointF(x + 20, y - 10), QPointF(x, y + 10));
    }
    p.restore();

    QLinearGradient jacket(0, y - 13, 0, y + 13);
    jacket.setColorAt(0, QColor(0x3a, 0x41, 0x4a));
    jacket.setColorAt(0.28, QColor(0x8c, 0x96, 0xa2));
    jacket.setColorAt(0.6, QColor(0x4a, 0x52, 0x5c));
    jacket.setColorAt(1, QColor(0x2a, 0x2f, 0x35));
    p.setPen(QPen(QColor(0x1a, 0x1e, 0x22), 1));
    p.setBrush(jacket);
    p.drawRoundedRect(QRectF(xa + 25, y - 13, xb - xa - 50, 26), 3, 3);
}

void plane(QPainter &p, qreal x, qreal top, qreal bottom, const QString &label, qreal railA,
           qreal railB)
{
    QPen dash(planeColor, 1.6, Qt::DashLine, Qt::FlatCap);
    dash.setDashPattern({5, 3});
    p.setPen(dash);
    p.drawLine(QPointF(x, top), QPointF(x, bottom));
    text(p, QRectF(x - 60, 4, 120, 22), label, font(16), planeColor);
    arrow(p, QPointF(x, 27), QPointF(x + 16, 27), 1.6, 6, planeColor);
    terminal(p, QPointF(x, railA), 4.5, 1.6);
    terminal(p, QPointF(x, railB), 4.5, 1.6);
}

void drawHelp(QPainter &p, QSize size)
{
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const qreal top = 84, gnd = 172, w = 2.6;
    const qreal zIn = 126, zLoad = 398, zAnt = 632;
    const qreal coaxA = 418, coaxB = 612;
    const qreal antX = 684;

    // Tuner outline first, so that everything else lies on top of it.
    QPen dashed(QColor(0x70, 0x7a, 0x86), 1.4, Qt::DashLine);
    dashed.setDashPattern({6, 4});
    p.setPen(dashed);
    p.setBrush(QColor(0xf4, 0xf7, 0xfb));
    p.drawRoundedRect(QRectF(144, 40, 240, 164), 8, 8);
    text(p, QRectF(150, 186, 226, 16), QStringLiteral("Tuner: L network"), font(12),
         QColor(0x50, 0x5a, 0x66), Qt::AlignLeft | Qt::AlignVCenter);

    const QRectF trx(14, 100, 86, 56);
    const qreal trxX = trx.center().x();
    const qreal coilX = 176, coilR = 10;
    const int turns = 4;
    const qreal coilEnd = coilX + 2 * coilR * turns;
    const qreal capX = 294;

    p.setPen(roundPen(ink, w));
    p.drawLine(QPointF(trxX, trx.top()), QPointF(trxX, top));
    p.drawLine(QPointF(trxX, top), QPointF(coilX, top));
    p.drawLine(QPointF(coilEnd, top), QPointF(coaxA, top));
    p.drawLine(QPointF(coaxB, top), QPointF(antX, top));
    p.drawLine(QPointF(antX, top), QPointF(antX, 52));
    p.drawLine(QPointF(trxX, trx.bottom()), QPointF(trxX, gnd));
    p.drawLine(QPointF(trxX, gnd), QPointF(antX, gnd));
    // Braid to ground at both ends of the cable.
    p.drawLine(QPointF(coaxA + 20, top + 10), QPointF(coaxA + 20, gnd));
    p.drawLine(QPointF(coaxB - 20, top + 10), QPointF(coaxB - 20, gnd));
    dot(p, QPointF(coaxA + 20, gnd), 3.6);
    dot(p, QPointF(coaxB - 20, gnd), 3.6);

    box(p, trx, trxFill, 2, 6);
    text(p, QRectF(trx.left(), trx.top() + 6, trx.width(), 24), QStringLiteral("TRX"), font(20),
         ink);
    text(p, QRectF(trx.left(), trx.top() + 30, trx.width(), 20), QStringLiteral("50 \u03a9"),
         font(15, false), ink);

    coil(p, coilX, top, coilR, turns, w + 0.6);
    arrow(p, QPointF(coilX + 4, top + 14), QPointF(coilEnd - 2, top - 22), 1.6, 8, ink);
    text(p, QRectF(coilX - 10, top + 16, coilEnd - coilX + 20, 20), QStringLiteral("L"), font(17),
         coilColor);
    text(p, QRectF(coilX - 20, top + 36, coilEnd - coilX + 40, 16), QStringLiteral("256 steps"),
         font(12, false), ink);

    capacitor(p, capX, top, gnd, 34, 8, w, 4);
    const qreal capY = (top + gnd) / 2;
    arrow(p, QPointF(capX - 20, capY + 18), QPointF(capX + 22, capY - 20), 1.6, 8, ink);
    dot(p, QPointF(capX, top), 4);
    dot(p, QPointF(capX, gnd), 4);
    text(p, QRectF(capX + 24, capY - 20, 60, 20), QStringLiteral("C"), font(17), capColor,
         Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(capX + 24, capY + 2, 60, 16), QStringLiteral("256 steps"), font(12, false), ink,
         Qt::AlignLeft | Qt::AlignVCenter);

    coaxSide(p, coaxA, coaxB, top);
    text(p, QRectF(coaxA, 50, coaxB - coaxA, 18), QStringLiteral("Coax cable, Z0 = 50 \u03a9"),
         font(13, false), ink);
    // Length of the cable, between the two braid leads.
    const qreal dimY = 128;
    arrow(p, QPointF((coaxA + coaxB) / 2, dimY), QPointF(coaxA + 22, dimY), 1.4, 8, ink);
    arrow(p, QPointF((coaxA + coaxB) / 2, dimY), QPointF(coaxB - 22, dimY), 1.4, 8, ink);
    p.fillRect(QRectF((coaxA + coaxB) / 2 - 46, dimY - 9, 92, 18), Qt::white);
    text(p, QRectF(coaxA, dimY - 9, coaxB - coaxA, 18), QStringLiteral("length (m)"),
         font(13, false), ink);
    text(p, QRectF(coaxA, dimY + 12, coaxB - coaxA, 16), QStringLiteral("velocity factor VF"),
         font(12, false), QColor(0x50, 0x5a, 0x66));

    // Antenna: a monopole over ground with a radiating element on top.
    p.setPen(roundPen(ink, w));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(antX - 22, 32), QPointF(antX, 52), QPointF(antX + 22, 32)}));
    p.drawLine(QPointF(antX, 52), QPointF(antX, 30));
    p.drawLine(QPointF(antX - 22, 32), QPointF(antX + 22, 32));
    ground(p, antX, gnd + 8, 30, 6, 2.4);
    text(p, QRectF(antX - 40, 104, 80, 18), QStringLiteral("Antenna"), font(13, false), ink);

    plane(p, zIn, 34, 200, QStringLiteral("Z In"), top, gnd);
    plane(p, zLoad, 34, 200, QStringLiteral("Z Load"), top, gnd);
    plane(p, zAnt, 34, 200, QStringLiteral("Z Antenna"), top, gnd);
}

// ------------------------------------------------------------- tuner panel

void led(QPainter &p, QPointF c, const QColor &color, bool lit)
{
    if (lit) {
        QRadialGradient glow(c, 10);
        QColor g = color;
        g.setAlpha(110);
        glow.setColorAt(0, g);
        g.setAlpha(0);
        glow.setColorAt(1, g);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, 10, 10);
    }
    QRadialGradient body(c - QPointF(1.5, 1.5), 6);
    body.setColorAt(0, lit ? color.lighter(170) : color.darker(160));
    body.setColorAt(1, lit ? color : color.darker(320));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    p.setBrush(body);
    p.drawEllipse(c, 4.5, 4.5);
}

void panelButton(QPainter &p, const QRectF &r, const QString &label)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x5c, 0x63, 0x6b));
    g.setColorAt(1, QColor(0x2c, 0x31, 0x36));
    p.setPen(QPen(QColor(0x15, 0x18, 0x1b), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
    text(p, r, label, font(9), QColor(0xee, 0xee, 0xee));
}

void drawTunerPanel(QPainter &p, QSize size)
{
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    // Feet, then the cabinet.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x22, 0x22));
    p.drawRoundedRect(QRectF(22, 122, 30, 12), 3, 3);
    p.drawRoundedRect(QRectF(268, 122, 30, 12), 3, 3);

    const QRectF cabinet(4, 4, 312, 122);
    QLinearGradient cab(cabinet.topLeft(), cabinet.bottomLeft());
    cab.setColorAt(0, QColor(0x55, 0x5b, 0x62));
    cab.setColorAt(1, QColor(0x25, 0x29, 0x2d));
    p.setPen(QPen(QColor(0x14, 0x16, 0x18), 1.5));
    p.setBrush(cab);
    p.drawRoundedRect(cabinet, 9, 9);

    const QRectF panel(12, 12, 296, 106);
    QLinearGradient face(panel.topLeft(), panel.bottomLeft());
    face.setColorAt(0, QColor(0xee, 0xf0, 0xf2));
    face.setColorAt(1, QColor(0xc4, 0xc9, 0xcf));
    p.setPen(QPen(QColor(0x80, 0x86, 0x8c), 1));
    p.setBrush(face);
    p.drawRoundedRect(panel, 5, 5);
    for (QPointF s : {QPointF(18, 18), QPointF(302, 18), QPointF(18, 112), QPointF(302, 112)}) {
        p.setPen(QPen(QColor(0x70, 0x76, 0x7c), 1));
        p.setBrush(QColor(0xb0, 0xb6, 0xbc));
        p.drawEllipse(s, 2.6, 2.6);
        p.drawLine(s - QPointF(1.8, 0), s + QPointF(1.8, 0));
    }

    text(p, QRectF(26, 16, 120, 18), QStringLiteral("AUTO TUNER"), font(13), ink,
         Qt::AlignLeft | Qt::AlignVCenter);

    // Cross-needle style SWR/power meter.
    const QRectF bezel(26, 36, 108, 72);
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(QColor(0x1a, 0x1c, 0x1e));
    p.drawRoundedRect(bezel, 4, 4);
    const QRectF meter = bezel.adjusted(4, 4, -4, -4);
    QLinearGradient mface(meter.topLeft(), meter.bottomLeft());
    mface.setColorAt(0, QColor(0xff, 0xf6, 0xd8));
    mface.setColorAt(1, QColor(0xf0, 0xe2, 0xb4));
    p.setPen(Qt::NoPen);
    p.setBrush(mface);
    p.drawRect(meter);
    const QPointF pivot(meter.center().x(), meter.bottom() + 22);
    const qreal radius = 66;
    auto at = [&](qreal deg, qreal r) {
        const qreal a = deg * M_PI / 180;
        return pivot + QPointF(-std::cos(a) * r, -std::sin(a) * r);
    };
    p.save();
    p.setClipRect(meter);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.2));
    p.drawArc(QRectF(pivot.x() - radius, pivot.y() - radius, 2 * radius, 2 * radius), 48 * 16,
              84 * 16);
    p.setPen(QPen(red, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(
        QRectF(pivot.x() - radius - 2, pivot.y() - radius - 2, 2 * radius + 4, 2 * radius + 4),
        48 * 16, 24 * 16);
    p.setPen(QPen(ink, 1.2));
    const qreal ticks[] = {48, 62, 78, 94, 108, 120, 132};
    for (qreal t : ticks)
        p.drawLine(at(t, radius), at(t, radius + 6));
    const char *labels[] = {"1", "1.5", "2", "3", "\u221e"};
    const qreal labelAt[] = {51, 62, 78, 94, 129};
    for (int i = 0; i < 5; ++i) {
        const QPointF c = at(labelAt[i], radius - 10);
        text(p, QRectF(c.x() - 10, c.y() - 6, 20, 12), QString::fromUtf8(labels[i]),
             font(i == 4 ? 11 : 8), ink);
    }
    text(p, QRectF(meter.left(), meter.bottom() - 16, meter.width(), 12), QStringLiteral("SWR"),
         font(9), ink);
    p.setPen(roundPen(red.darker(130), 1.4));
    p.drawLine(pivot, at(57, radius + 4));
    p.restore();

    // Status LEDs and their captions.
    const qreal ledY = 46;
    struct Lamp {
        qreal x;
        QColor c;
        bool lit;
        const char *label;
    } lamps[] = {{166, green, true, "TUNED"},
                 {204, QColor(0xf0, 0xa0, 0x10), false, "TUNE"},
                 {242, red, false, "HI SWR"}};
    for (const Lamp &l : lamps) {
        led(p, QPointF(l.x, ledY), l.c, l.lit);
        text(p, QRectF(l.x - 20, ledY + 7, 40, 12), QString::fromLatin1(l.label), font(8), ink);
    }

    panelButton(p, QRectF(148, 78, 36, 18), QStringLiteral("TUNE"));
    panelButton(p, QRectF(188, 78, 36, 18), QStringLiteral("MODE"));
    panelButton(p, QRectF(228, 78, 36, 18), QStringLiteral("BYP"));

    // Power switch on the right with its pilot lamp.
    const QPointF knob(286, 56);
    QRadialGradient kn(knob - QPointF(4, 4), 16);
    kn.setColorAt(0, QColor(0x7a, 0x80, 0x88));
    kn.setColorAt(1, QColor(0x20, 0x24, 0x28));
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1.2));
    p.setBrush(kn);
    p.drawEllipse(knob, 12, 12);
    p.setPen(roundPen(QColor(0xf0, 0xf0, 0xf0), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(knob.x() - 6, knob.y() - 6, 12, 12), 125 * 16, 290 * 16);
    p.drawLine(knob - QPointF(0, 7.5), knob - QPointF(0, 1.5));
    text(p, QRectF(knob.x() - 22, knob.y() + 14, 44, 12), QStringLiteral("POWER"), font(8), ink);
    led(p, QPointF(knob.x(), 96), green, true);
}

// ------------------------------------------------------------------- icons

void drawPower(QPainter &p, QSize)
{
    const QPointF c(21, 16);
    p.setPen(roundPen(QColor(0xb8, 0x1c, 0x1c), 3.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 10.5, c.y() - 10.5, 21, 21), 125 * 16, 290 * 16);
    p.drawLine(QPointF(c.x(), 2.5), QPointF(c.x(), c.y() - 1));
}

void drawZTuner(QPainter &p, QSize)
{
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(0, 12), QPointF(7, 12));
    p.drawLine(QPointF(37, 12), QPointF(44, 12));
    box(p, QRectF(6.5, 1.5, 31, 18), trxFill, 1.4, 3);
    text(p, QRectF(7, 1, 15, 19), QStringLiteral("Z"), font(15), blue);
    // The output lead runs in through a coil.
    coil(p, 22, 12, 2.5, 3, 1.5);
    p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(37, 12), QPointF(38, 12));
}

void drawLightning(QPainter &p, QSize)
{
    const QPolygonF bolt({QPointF(25, 1.5), QPointF(12.5, 17), QPointF(20, 17), QPointF(15.5, 28.5),
                          QPointF(30, 11.5), QPointF(22.5, 11.5), QPointF(29, 1.5)});
    QLinearGradient g(0, 0, 0, 30);
    g.setColorAt(0, QColor(0xff, 0xe8, 0x5a));
    g.setColorAt(1, QColor(0xf2, 0x96, 0x00));
    p.setPen(roundPen(QColor(0x80, 0x50, 0x00), 1.3));
    p.setBrush(g);
    p.drawPolygon(bolt);
}

// Pixel-drawn coax end with its layers stripped back; `end` is the column
// just right of the centre conductor, `top` the jacket's first row. The
// colours are few enough for a 16-colour palette.
void coaxPixels(QPainter &p, int end, int top)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    auto rows = [&](int x0, int x1, int y0, const QVector<QColor> &shades) {
        for (int i = 0; i < shades.size(); ++i)
            p.fillRect(QRect(x0, y0 + i, x1 - x0, 1), shades[i]);
    };
    const QColor edge(0x22, 0x26, 0x2b), dark(0x3a, 0x40, 0x48), mid(0x55, 0x5d, 0x67),
        shine(0x8c, 0x96, 0xa2);
    rows(0, end - 17, top, {edge, mid, shine, mid, dark, dark, dark, dark, dark, edge, edge});
    const QColor cuHi(0xe0, 0xa8, 0x5c), cu(0xc0, 0x84, 0x38), cuDark(0x7a, 0x4c, 0x18);
    for (int y = 1; y < 10; ++y)
        for (int x = end - 17; x < end - 11; ++x) {
            QColor c = ((x + y) % 2) ? cu : cuDark;
            if (y == 2 && c == cu)
                c = cuHi;
            if (y == 1 || y == 9)
                c = cuDark;
            p.fillRect(QRect(x, top + y, 1, 1), c);
        }
    const QColor white(0xff, 0xff, 0xff), cream(0xee, 0xec, 0xdc), shadow(0xa8, 0xa6, 0x98);
    rows(end - 11, end - 6, top + 2, {shadow, white, cream, cream, cream, cream, shadow});
    rows(end - 6, end, top + 4, {cuDark, cuHi, cuDark});
}

void drawCoax(QPainter &p, QSize)
{
    coaxPixels(p, 42, 2);
}

void drawCoaxWarning(QPainter &p, QSize)
{
    coaxPixels(p, 29, 5);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPolygonF tri({QPointF(33.5, 1.5), QPointF(41.3, 18.6), QPointF(25.7, 18.6)});
    p.setPen(roundPen(QColor(0x2a, 0x22, 0x00), 1.3));
    p.setBrush(yellow);
    p.drawPolygon(tri);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(33, 7, 2, 6), QColor(0x1a, 0x1a, 0x1a));
    p.fillRect(QRect(33, 14, 2, 2), QColor(0x1a, 0x1a, 0x1a));
}

void drawTowAntenna(QPainter &p, QSize)
{
    const QColor steel(0x3a, 0x44, 0x50);
    p.setPen(QPen(steel, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF l0(13, 30), l1(18.5, 7), r0(27, 30), r1(21.5, 7);
    p.drawLine(l0, l1);
    p.drawLine(r0, r1);
    // Rungs and bracing between the legs.
    auto lerp = [](QPointF a, QPointF b, qreal t) { return a + (b - a) * t; };
    const qreal levels[] = {0, 0.3, 0.56, 0.8, 1};
    p.setPen(QPen(steel, 1.0));
    for (int i = 0; i + 1 < 5; ++i) {
        const QPointF a = lerp(l0, l1, levels[i]), b = lerp(r0, r1, levels[i]);
        const QPointF c = lerp(l0, l1, levels[i + 1]), d = lerp(r0, r1, levels[i + 1]);
        p.drawLine(c, d);
        p.drawLine(a, d);
        p.drawLine(b, c);
    }
    p.setPen(QPen(steel, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 7), QPointF(20, 2));
    p.drawLine(QPointF(8, 30), QPointF(32, 30));
    dot(p, QPointF(20, 2.2), 1.8, red);
    // Radio waves on both sides of the top.
    p.setPen(roundPen(blue, 1.6));
    p.setBrush(Qt::NoBrush);
    const QPointF c(20, 6);
    for (qreal r : {7.5, 12.5}) {
        const QRectF rr(c.x() - r, c.y() - r, 2 * r, 2 * r);
        p.drawArc(rr, 145 * 16, 60 * 16);
        p.drawArc(rr, -25 * 16, 60 * 16);
    }
}

void drawEqualizer(QPainter &p, QSize)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const int cols[] = {3, 8, 13};
    const int knobs[] = {9, 3, 6};
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRect(cols[i], 1, 1, 14), QColor(0x60, 0x6a, 0x76));
        p.fillRect(QRect(cols[i] - 2, knobs[i], 5, 4), ink);
        p.fillRect(QRect(cols[i] - 1, knobs[i] + 1, 3, 2), lightBlue);
    }
}

void drawLightBulb(QPainter &p, QSize)
{
    QRadialGradient g(QPointF(6.5, 4.5), 7);
    g.setColorAt(0, QColor(0xff, 0xff, 0xf0));
    g.setColorAt(0.35, QColor(0xff, 0xe4, 0x4a));
    g.setColorAt(1, QColor(0xf0, 0xa2, 0x00));
    QPainterPath bulb;
    bulb.moveTo(5.5, 11);
    bulb.cubicTo(5.5, 9, 2.2, 8.2, 2.2, 5.6);
    bulb.cubicTo(2.2, 2.6, 4.8, 0.6, 8, 0.6);
    bulb.cubicTo(11.2, 0.6, 13.8, 2.6, 13.8, 5.6);
    bulb.cubicTo(13.8, 8.2, 10.5, 9, 10.5, 11);
    bulb.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x62, 0x00), 1));
    p.setBrush(g);
    p.drawPath(bulb);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor metal(0x9a, 0xa2, 0xac), metalDark(0x5a, 0x62, 0x6c);
    p.fillRect(QRect(5, 11, 6, 1), metalDark);
    p.fillRect(QRect(5, 12, 6, 1), metal);
    p.fillRect(QRect(5, 13, 6, 1), metalDark);
    p.fillRect(QRect(6, 14, 4, 1), metal);
    p.fillRect(QRect(7, 15, 2, 1), metalDark);
}

void drawChartBar(QPainter &p, QSize)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    struct Bar {
        int x, top;
        QColor c;
    } bars[] = {{3, 9, green}, {7, 3, blue}, {11, 6, QColor(0xe6, 0x7e, 0x10)}};
    for (const Bar &b : bars) {
        p.fillRect(QRect(b.x, b.top, 2, 14 - b.top), b.c.lighter(115));
        p.fillRect(QRect(b.x + 2, b.top, 1, 14 - b.top), b.c.darker(140));
    }
    p.fillRect(QRect(1, 1, 1, 14), ink);
    p.fillRect(QRect(1, 14, 15, 1), ink);
}

// SWR over a band: the antenna's dip in orange, the tuned line flat in green.
void drawSweep(QPainter &p, QSize)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath dip;
    dip.moveTo(2.5, 2.5);
    dip.cubicTo(5.5, 11.5, 10.0, 11.5, 15.0, 3.0);
    p.setPen(QPen(QColor(0xe6, 0x7e, 0x10), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(dip);
    p.setPen(QPen(green, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.0, 11.5), QPointF(14.5, 11.5));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(1, 1, 1, 14), ink);
    p.fillRect(QRect(1, 14, 15, 1), ink);
}

// A flask: trying many loads.
void drawLab(QPainter &p, QSize)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath flask;
    flask.moveTo(6.0, 1.5);
    flask.lineTo(10.0, 1.5);
    flask.lineTo(10.0, 6.0);
    flask.lineTo(14.5, 14.5);
    flask.lineTo(1.5, 14.5);
    flask.lineTo(6.0, 6.0);
    flask.closeSubpath();
    QPainterPath liquid;
    liquid.moveTo(4.2, 9.5);
    liquid.lineTo(11.8, 9.5);
    liquid.lineTo(14.5, 14.5);
    liquid.lineTo(1.5, 14.5);
    liquid.closeSubpath();
    p.fillPath(flask, QColor(0xf4, 0xf7, 0xfa));
    p.fillPath(liquid, blue.lighter(130));
    p.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flask);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6.5, 12.0), 1.0, 1.0);
    p.drawEllipse(QPointF(9.5, 11.0), 0.7, 0.7);
}

void drawQuestionFrame(QPainter &p, QSize)
{
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(0xcf, 0xe2, 0xf8));
    p.setPen(QPen(blue, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2.5, 2.5);
    // Pixel-drawn glyph: a font's "?" blurs at this size.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor q = blue.darker(125);
    const QRect glyph[] = {{6, 3, 4, 1}, {5, 4, 2, 2}, {9, 4, 2, 2},
                           {8, 6, 2, 1}, {7, 7, 2, 2}, {7, 11, 2, 2}};
    for (const QRect &r : glyph)
        p.fillRect(r, q);
    const QColor soft(q.red(), q.green(), q.blue(), 110);
    p.fillRect(QRect(5, 3, 1, 1), soft);
    p.fillRect(QRect(10, 3, 1, 1), soft);
    p.fillRect(QRect(10, 6, 1, 1), soft);
    p.fillRect(QRect(7, 6, 1, 1), soft);
}

void drawChain(QPainter &p, QSize)
{
    const QColor steel(0x3c, 0x48, 0x55), shine(0xc4, 0xce, 0xd8);
    auto link = [&](QPointF c) {
        p.save();
        p.translate(c);
        p.rotate(-45);
        const QRectF r(-5.2, -2.3, 10.4, 4.6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(steel, 2.0));
        p.drawRoundedRect(r, 2.3, 2.3);
        p.setPen(QPen(shine, 0.7));
        p.drawRoundedRect(r, 2.3, 2.3);
        p.restore();
    };
    link(QPointF(5.3, 10.7));
    link(QPointF(10.7, 5.3));
    // The first link passes over the second once, so that they interlock.
    p.save();
    p.setClipRect(QRectF(6.5, 6.5, 4, 4));
    link(QPointF(5.3, 10.7));
    p.restore();
}

void drawColorWheel(QPainter &p, QSize)
{
    const QPointF c(8, 8);
    QConicalGradient hue(c, 0);
    for (int i = 0; i <= 6; ++i)
        hue.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(hue);
    p.drawEllipse(c, 7, 7);
    QRadialGradient white(c, 7);
    white.setColorAt(0, QColor(255, 255, 255, 240));
    white.setColorAt(0.65, QColor(255, 255, 255, 0));
    p.setBrush(white);
    p.drawEllipse(c, 7, 7);
    p.setPen(QPen(QColor(0x50, 0x58, 0x60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 7, 7);
}

// Pencil lying from bottom left (tip) to top right, leaving the bottom right
// corner free for a badge.
void pencil(QPainter &p)
{
    p.save();
    p.translate(1.2, 13.8);
    p.rotate(-45);
    const qreal h = 2.6; // half width
    p.setPen(QPen(QColor(0x30, 0x28, 0x10), 0.9, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(QColor(0xec, 0xcc, 0xa0));
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(5, -h), QPointF(5, h)}));
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(1.8, -h * 0.36), QPointF(1.8, h * 0.36)}));
    p.setBrush(yellow);
    p.drawRect(QRectF(5, -h, 7.5, 2 * h));
    p.setPen(QPen(QColor(0xc0, 0x8a, 0x00), 0.9));
    p.drawLine(QPointF(5.4, 0), QPointF(12.1, 0));
    p.setPen(QPen(QColor(0x30, 0x28, 0x10), 0.9));
    p.setBrush(QColor(0xa0, 0xa8, 0xb0));
    p.drawRect(QRectF(12.5, -h, 1.6, 2 * h));
    p.setBrush(QColor(0xf0, 0x8a, 0x9a));
    p.drawRoundedRect(QRectF(14.1, -h, 2.2, 2 * h), 0.8, 0.8);
    p.restore();
}

void drawPencilAdd(QPainter &p, QSize)
{
    pencil(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(10, 8, 4, 8), Qt::white);
    p.fillRect(QRect(8, 10, 8, 4), Qt::white);
    p.fillRect(QRect(11, 9, 2, 6), green);
    p.fillRect(QRect(9, 11, 6, 2), green);
}

void drawPencilDelete(QPainter &p, QSize)
{
    pencil(p);
    // Overlapping 2x2 squares along both diagonals keep the cross sharp.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 5; ++i) {
        p.fillRect(QRect(8 + i, 8 + i, 4, 4), Qt::white);
        p.fillRect(QRect(12 - i, 8 + i, 4, 4), Qt::white);
    }
    for (int i = 0; i < 5; ++i) {
        p.fillRect(QRect(9 + i, 9 + i, 2, 2), red);
        p.fillRect(QRect(13 - i, 9 + i, 2, 2), red);
    }
}

// ---------------------------------------------------------- application icon

// The desktop icon: the L network itself, a series coil and a shunt
// capacitor between two rails, on a light tile with a dark rim, so that it
// stands out on light and on dark panels. Each size is drawn, not scaled:
// 16 pixels by hand, the small ones without the finer parts.
void appIconTile(QPainter &p, qreal n, qreal rim, qreal inset, qreal radius)
{
    const QRectF tile(inset, inset, n - 2 * inset, n - 2 * inset);
    QLinearGradient face(tile.topLeft(), tile.bottomLeft());
    face.setColorAt(0, QColor(0xf8, 0xfb, 0xff));
    face.setColorAt(1, trxFill);
    p.setPen(QPen(ink, rim));
    p.setBrush(face);
    p.drawRoundedRect(tile, radius, radius);
}

void drawAppIcon16(QPainter &p)
{
    appIconTile(p, 16, 1, 0.5, 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor cu = coilColor;
    // Two turns of the coil, then the top rail and the bottom rail.
    const QRect coilPixels[] = {
        {3, 3, 2, 1}, {7, 3, 2, 1}, {2, 4, 1, 2}, {5, 4, 2, 2}, {9, 4, 1, 2}};
    for (const QRect &r : coilPixels)
        p.fillRect(r, cu);
    p.fillRect(QRect(2, 6, 1, 1), ink);
    p.fillRect(QRect(9, 6, 5, 1), ink);
    p.fillRect(QRect(2, 12, 12, 1), ink);
    // The capacitor hangs from the top rail to the bottom one.
    p.fillRect(QRect(11, 7, 1, 1), ink);
    p.fillRect(QRect(9, 8, 5, 1), capColor);
    p.fillRect(QRect(9, 10, 5, 1), capColor);
    p.fillRect(QRect(11, 11, 1, 1), ink);
}

void drawAppIcon(QPainter &p, QSize size)
{
    const qreal n = size.width();
    if (n <= 16) {
        drawAppIcon16(p);
        return;
    }
    // Lines of whole pixels; an odd width lies on pixel centres.
    auto width = [](qreal w) { return std::max<qreal>(1, std::round(w)); };
    auto snap = [](qreal v, qreal w) { return int(w) % 2 ? std::floor(v) + 0.5 : std::round(v); };
    // The small icons are laid out in pixels, the others on a grid of 48.
    const bool small = n < 32;
    const qreal u = n / 48;
    const qreal rim = width(1.25 * u);
    appIconTile(p, n, rim, small ? 0.5 : snap(3 * u, rim), small ? 4 : 9 * u);

    const qreal wire = small ? 2 : width(2.5 * u);
    const qreal top = small ? std::round(0.375 * n) : snap(17 * u, wire);
    const qreal gnd = top + (small ? 10 : std::round(17 * u));
    const qreal left = small ? 3 : snap(8 * u, wire);
    const qreal right = small ? n - 3 : snap(40 * u, wire);
    const qreal capX = small ? n - 7 : snap(33 * u, wire);
    const int turns = small ? 2 : 3;
    const qreal coilX = small ? 4 : 11 * u;
    const qreal coilEnd = small ? capX - 3 : 29 * u;
    const qreal coilR = (coilEnd - coilX) / (2 * turns);
    // The plates' edges on whole pixels too.
    const qreal plate = small ? 2 : width(2.5 * u);
    qreal gap = small ? 2 : std::round(3.5 * u);
    if (int(top + gnd + gap) % 2)
        gap += 1;
    qreal plateLength = small ? 8 : std::round(10 * u);
    if (int(2 * capX + plateLength) % 2)
        plateLength += 1;

    p.setPen(QPen(ink, wire, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(left, top), QPointF(coilX, top));
    p.drawLine(QPointF(coilEnd, top), QPointF(right, top));
    p.drawLine(QPointF(left, gnd), QPointF(right, gnd));
    coil(p, coilX, top, coilR, turns, small ? 2 : width(3.5 * u));
    capacitor(p, capX, top, gnd, plateLength, gap, wire, plate);
    if (small)
        return;

    dot(p, QPointF(capX, top), 0.9 * wire);
    dot(p, QPointF(capX, gnd), 0.9 * wire);
    if (n < 48)
        return;
    for (qreal x : {left, right})
        for (qreal y : {top, gnd})
            terminal(p, QPointF(x, y), 2.2 * u, std::max<qreal>(1, 1.1 * u));
}

// ------------------------------------------------------------------ output

struct Picture {
    const char *name;
    QSize size;
    Kind kind;
    void (*draw)(QPainter &, QSize);
    // Width of the light rim around a picture on a transparent ground; the
    // two schematics are shown at half their size.
    int rim;
};

const Picture pictures[] = {
    {"LC", {259, 119}, Kind::Rgba, drawLC, 3},
    {"CL", {291, 123}, Kind::Rgba, drawCL, 3},
    {"Power", {42, 30}, Kind::Rgba, drawPower, 1},
    {"ZTuner", {44, 21}, Kind::Rgba, drawZTuner, 1},
    {"Lightning", {42, 30}, Kind::Rgba, drawLightning, 1},
    {"Coax", {42, 15}, Kind::Palette16, drawCoax, 1},
    {"CoaxWarning", {42, 20}, Kind::Rgba, drawCoaxWarning, 1},
    {"TowAntenna", {40, 31}, Kind::Rgba, drawTowAntenna, 1},
    {"Equalizer", {16, 16}, Kind::Rgba, drawEqualizer, 1},
    {"LightBulb", {16, 16}, Kind::Rgba, drawLightBulb, 1},
    {"ChartBar", {16, 16}, Kind::Rgba, drawChartBar, 1},
    {"Sweep", {16, 16}, Kind::Rgba, drawSweep, 1},
    {"Lab", {16, 16}, Kind::Rgba, drawLab, 1},
    {"QuestionFrame", {16, 16}, Kind::Rgba, drawQuestionFrame, 1},
    {"TunerPanel", {320, 139}, Kind::Rgb, drawTunerPanel, 0},
    {"VorlapHelp", {728, 223}, Kind::Rgb, drawHelp, 0},
    {"Chain", {16, 16}, Kind::Rgba, drawChain, 1},
    {"ColorWheel", {16, 16}, Kind::Rgba, drawColorWheel, 1},
    {"PencilAdd", {16, 16}, Kind::Rgba, drawPencilAdd, 1},
    {"PencilDelete", {16, 16}, Kind::Rgba, drawPencilDelete, 1},
};

// Dark strokes on a transparent ground vanish on a dark window. A light rim
// around everything drawn keeps them visible there and is hardly seen on a
// light one. The rim's alpha follows the nearest drawn pixel's, so that
// antialiased edges stay smooth; `exact` keeps it to one colour, for the
// palette picture.
QImage withRim(const QImage &art, int radius, bool exact)
{
    QImage out(art.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            int alpha = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const QPoint at(x + dx, y + dy);
                    if (dx * dx + dy * dy <= radius * radius + radius && art.rect().contains(at))
                        alpha = std::max(alpha, qAlpha(art.pixel(at)));
                }
            if (exact && alpha > 0)
                alpha = 255;
            out.setPixel(x, y, qRgba(255, 255, 255, alpha * 3 / 4));
        }
    QPainter p(&out);
    p.drawImage(0, 0, art);
    return out;
}

// Exact colours only (the palette picture is drawn without antialiasing), so
// the table is simply the set of colours used, padded to 16 entries.
bool toPalette16(const QImage &argb, QImage &out)
{
    QVector<QRgb> table;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            if (!table.contains(c))
                table.append(c);
        }
    if (table.size() > 16)
        return false;
    while (table.size() < 16)
        table.append(qRgba(0, 0, 0, 0));
    out = QImage(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            out.setPixel(x, y, uint(table.indexOf(argb.pixel(x, y))));
    return true;
}

// The application icon in an icon theme tree under `dir`: a scalable SVG
// and a PNG for each size a panel or menu asks for.
bool writeAppIcon(const QDir &dir)
{
    const QString name = QStringLiteral(VORLAP_APP_ID);
    const QString svgDir = QStringLiteral("hicolor/scalable/apps");
    if (!dir.mkpath(svgDir))
        return false;
    {
        QSvgGenerator svg;
        svg.setFileName(dir.filePath(svgDir + QLatin1Char('/') + name + QStringLiteral(".svg")));
        // 96 dpi, so that the size in millimetres reads as 128 pixels.
        svg.setResolution(96);
        svg.setSize(QSize(128, 128));
        svg.setViewBox(QRect(0, 0, 128, 128));
        svg.setTitle(QStringLiteral("Vorlap Simulator"));
        svg.setDescription(QStringLiteral("An L network: series coil, shunt capacitor"));
        QPainter p;
        if (!p.begin(&svg))
            return false;
        p.setRenderHint(QPainter::Antialiasing, true);
        drawAppIcon(p, svg.size());
    }
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sub = QStringLiteral("hicolor/%1x%1/apps").arg(n);
        QImage img(n, n, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            drawAppIcon(p, img.size());
        }
        if (!dir.mkpath(sub) ||
            !img.save(dir.filePath(sub + QLatin1Char('/') + name + QStringLiteral(".png")), "PNG"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s IMAGEDIR [ICONDIR]\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const Picture &pic : pictures) {
        QImage img(pic.size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            pic.draw(p, pic.size);
        }
        if (pic.rim > 0)
            img = withRim(img, pic.rim, pic.kind == Kind::Palette16);
        QImage out;
        switch (pic.kind) {
        case Kind::Rgba:
            out = img;
            break;
        case Kind::Rgb:
            out = img.convertToFormat(QImage::Format_RGB888);
            break;
        case Kind::Palette16:
            if (!toPalette16(img, out)) {
                std::fprintf(stderr, "%s: more than 16 colours\n", pic.name);
                return 1;
            }
            break;
        }
        const QString path = dir.filePath(QString::fromLatin1(pic.name) + QStringLiteral(".png"));
        if (!out.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    if (argc == 3 && !writeAppIcon(QDir(QString::fromLocal8Bit(argv[2])))) {
        std::fprintf(stderr, "cannot write the application icon under %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// Legibility under light and dark palettes: relative luminance and contrast
// ratio as WCAG 2 defines them, measured on grabbed pixels, and a dark
// palette as dark desktops set one.
#ifndef CONTRAST_H
#define CONTRAST_H

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPalette>

#include <algorithm>
#include <cmath>

inline double luminance(const QColor &c)
{
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

inline double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The commonest colour: a widget's background.
inline QColor backdrop(const QImage &image)
{
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y) | 0xff000000u];
    QRgb most = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(most))
            most = it.key();
    return QColor(most);
}

// The strongest contrast a pixel inside the frame makes with the
// background: for a label, the core of its glyphs against the fill.
inline double textContrast(const QImage &grabbed, int frame = 3)
{
    const QImage inner = grabbed.copy(grabbed.rect().adjusted(frame, frame, -frame, -frame));
    const QColor back = backdrop(inner);
    double best = 1.0;
    for (int y = 0; y < inner.height(); ++y)
        for (int x = 0; x < inner.width(); ++x)
            best = std::max(best, contrast(QColor(inner.pixel(x, y)), back));
    return best;
}

// Pixels of a picture laid on `back` that stand out from it by the 3:1
// that graphics need.
inline int standingOut(const QImage &picture, const QColor &back)
{
    QImage shown(picture.size(), QImage::Format_ARGB32);
    shown.fill(back);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            const double a = c.alphaF();
            shown.setPixelColor(x, y,
                                QColor::fromRgbF(c.redF() * a + back.redF() * (1 - a),
                                                 c.greenF() * a + back.greenF() * (1 - a),
                                                 c.blueF() * a + back.blueF() * (1 - a)));
        }
    int n = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            n += contrast(shown.pixelColor(x, y), back) >= 3.0;
    return n;
}

inline QPalette darkPalette()
{
    const QColor window(53, 53, 53), base(42, 42, 42), text(Qt::white);
    QPalette p(window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

#endif // CONTRAST_H

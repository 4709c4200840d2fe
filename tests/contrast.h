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

inline double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast a pixel inside the frame makes with the
// background (the commonest colour): for a label, the core of its glyphs
// against the fill.
inline double textContrast(const QImage &grabbed, int frame = 3)
{
    const QImage inner = grabbed.copy(grabbed.rect().adjusted(frame, frame, -frame, -frame));
    QHash<QRgb, int> count;
    for (int y = 0; y < inner.height(); ++y)
        for (int x = 0; x < inner.width(); ++x)
            ++count[inner.pixel(x, y) | 0xff000000u];
    QRgb most = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(most))
            most = it.key();
    const QColor back(most);
    double best = 1.0;
    for (int y = 0; y < inner.height(); ++y)
        for (int x = 0; x < inner.width(); ++x)
            best = std::max(best, contrast(QColor(inner.pixel(x, y)), back));
    return best;
}

// Whatever stands out (3:1, as graphics need) from the light window in
// `onLight` stands out from the dark one in `onDark` too, at least as an
// outline within `reach` pixels. Returns the first pixel lost, if any.
inline QPoint lostOnDark(const QImage &onLight, const QColor &light, const QImage &onDark,
                         const QColor &dark, int reach)
{
    const QRect all = onLight.rect() & onDark.rect();
    for (int y = all.top(); y <= all.bottom(); ++y)
        for (int x = all.left(); x <= all.right(); ++x) {
            if (contrast(onLight.pixelColor(x, y), light) < 3.0)
                continue;
            bool shows = false;
            const QRect near = QRect(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1) & all;
            for (int v = near.top(); v <= near.bottom() && !shows; ++v)
                for (int u = near.left(); u <= near.right() && !shows; ++u)
                    shows = contrast(onDark.pixelColor(u, v), dark) >= 3.0;
            if (!shows)
                return QPoint(x, y);
        }
    return QPoint(-1, -1);
}

inline QPalette darkPalette()
{
    QPalette p(QColor(53, 53, 53)); // window and buttons
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Base, QColor(42, 42, 42));
    p.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

#endif // CONTRAST_H

#include "chartexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTextStream>
#include <QWidget>

#include <algorithm>

namespace
{
QString tr(const char *text)
{
    return QCoreApplication::translate("ChartExport", text);
}

QString commit(QSaveFile &file)
{
    if (!file.commit())
        return file.errorString();
    return QString();
}
} // namespace

QString Vorlap::exportPicture(QWidget *source, const QRect &region, const QString &fileName)
{
    if (region.isEmpty())
        return tr("nothing to draw");
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QRegion area(region);
    if (QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(region.size());
        svg.setViewBox(QRect(QPoint(0, 0), region.size()));
        svg.setTitle(source->windowTitle());
        QPainter painter;
        if (!painter.begin(&svg))
            return tr("cannot draw the SVG image");
        source->render(&painter, QPoint(0, 0), area);
        painter.end();
    } else {
        const qreal ratio = source->devicePixelRatioF();
        QImage image(region.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return tr("the image is too large");
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        source->render(&image, QPoint(0, 0), area);
        QImageWriter writer(&file, "png");
        if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
            return writer.errorString();
    }
    return commit(file);
}

QString Vorlap::exportCsv(const QString &fileName, const QString &header,
                          const std::function<bool(QTextStream &)> &rows)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    QTextStream out(&file);
    out << header << '\n';
    if (!rows(out))
        return tr("the numbers could not be computed");
    out.flush();
    if (out.status() != QTextStream::Ok)
        return file.errorString();
    return commit(file);
}

QString Vorlap::askExportFile(QWidget *parent)
{
    const QString png = tr("PNG image (*.png)");
    const QString svg = tr("SVG drawing (*.svg)");
    const QString csv = tr("CSV numbers (*.csv)");
    QString chosen = png;
    QString name = QFileDialog::getSaveFileName(parent, tr("Export chart"), QString(),
                                                png + ";;" + svg + ";;" + csv, &chosen);
    if (name.isEmpty())
        return name;
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
        suffix != QLatin1String("csv"))
        name += chosen == svg ? ".svg" : chosen == csv ? ".csv" : ".png";
    return name;
}

QString Vorlap::exportMessage(const QString &fileName, const QString &error)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    if (error.isEmpty())
        return tr("Saved %1").arg(shown);
    return tr("Could not save %1: %2").arg(shown, error);
}

void Vorlap::showExportMessage(QLabel *line, const QString &fileName, const QString &error)
{
    const QString message = exportMessage(fileName, error);
    line->setToolTip(message);
    line->setText(
        line->fontMetrics().elidedText(message, Qt::ElideMiddle, std::max(line->width(), 200)));
}

#include "contrast.h"
#include "resources.h"

#include <QImage>
#include <QPainter>
#include <QResource>
#include <QtTest>

class TestResourceImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Vorlap::initResources(); }

    void image_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("colourType"); // PNG IHDR: 2 RGB, 3 palette, 6 RGBA
        const struct {
            const char *name;
            int w, h, type;
        } table[] = {
            {"LC", 259, 119, 6},         {"CL", 291, 123, 6},         {"Power", 42, 30, 6},
            {"ZTuner", 44, 21, 6},       {"Lightning", 42, 30, 6},    {"Coax", 42, 15, 3},
            {"CoaxWarning", 42, 20, 6},  {"TowAntenna", 40, 31, 6},   {"Equalizer", 16, 16, 6},
            {"LightBulb", 16, 16, 6},    {"ChartBar", 16, 16, 6},     {"QuestionFrame", 16, 16, 6},
            {"TunerPanel", 320, 139, 2}, {"VorlapHelp", 728, 223, 2}, {"Chain", 16, 16, 6},
            {"ColorWheel", 16, 16, 6},   {"PencilAdd", 16, 16, 6},    {"PencilDelete", 16, 16, 6},
        };
        for (const auto &t : table)
            QTest::newRow(t.name) << QSize(t.w, t.h) << t.type;
    }
    void image()
    {
        QFETCH(QSize, size);
        QFETCH(int, colourType);
        const QString path = QStringLiteral(":/images/") + QTest::currentDataTag();
        QCOMPARE(QImage(path).size(), size);
        const QResource resource(path);
        QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
        const QByteArray png = resource.uncompressedData();
        QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n") && png.mid(12, 4) == "IHDR");
        QCOMPARE(int(uchar(png.at(25))), colourType);
        if (colourType == 2)
            return;
        // A picture on a transparent ground shows on a dark window too.
        const QImage picture = QImage(path).convertToFormat(QImage::Format_ARGB32);
        const QColor light(239, 239, 239), dark(53, 53, 53);
        auto onto = [&](const QColor &window) {
            QImage shown(picture.size(), QImage::Format_ARGB32);
            shown.fill(window);
            QPainter(&shown).drawImage(0, 0, picture);
            return shown;
        };
        const QPoint lost = lostOnDark(onto(light), light, onto(dark), dark, 4);
        QVERIFY2(lost.x() < 0, qPrintable(QString("lost at %1,%2").arg(lost.x()).arg(lost.y())));
    }
};

QTEST_MAIN(TestResourceImages)
#include "tst_resources_images.moc"

#include "resources.h"

#include <QFile>
#include <QImage>
#include <QResource>
#include <QtTest>

class TestResourceImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Vorlap::initResources(); }
    void image_data();
    void image();
};

void TestResourceImages::image_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("colourType"); // 2 RGB, 3 palette, 6 RGBA

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
        QTest::newRow(t.name) << t.w << t.h << t.type;
}

void TestResourceImages::image()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, colourType);
    const QString path = QStringLiteral(":/images/") + QString::fromLatin1(QTest::currentDataTag());

    const QImage img(path);
    QVERIFY2(!img.isNull(), qPrintable(path));
    QCOMPARE(img.size(), QSize(width, height));

    QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray png = file.readAll();
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(int(uchar(png.at(25))), colourType);

    if (colourType == 3) {
        // A 16-colour palette: PLTE holds 16 RGB triples.
        const int plte = png.indexOf("PLTE");
        QVERIFY(plte > 4);
        const QByteArray len = png.mid(plte - 4, 4);
        QCOMPARE(int(uchar(len[0])) << 24 | int(uchar(len[1])) << 16 | int(uchar(len[2])) << 8 |
                     int(uchar(len[3])),
                 16 * 3);
    } else {
        // Transparency only where the table lists an alpha channel.
        QCOMPARE(img.hasAlphaChannel(), colourType == 6);
    }
}

QTEST_MAIN(TestResourceImages)
#include "tst_resources_images.moc"

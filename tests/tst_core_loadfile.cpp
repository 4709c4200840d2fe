#include "lcnet.h"

#include <QTemporaryDir>
#include <QtTest>

using LCNet::Impedance;
using LCNet::LoadFileError;
using LCNet::LoadPoint;

namespace
{

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

QVector<LoadPoint> parsed(const QByteArray &data)
{
    QVector<LoadPoint> points;
    LoadFileError e;
    if (!LCNet::parseLoadData(data, QStringLiteral("t.s1p"), &points, &e))
        qWarning("%s", qPrintable(e.text()));
    return points;
}

// The head of a version 2 file of one point, up to [Network Data].
QByteArray v2(const char *options = "# MHz Z RI R 50")
{
    return "[Version] 2.0\n" + QByteArray(options) +
           "\n[Number of Ports] 1\n[Number of Frequencies] 1\n";
}

// 1800 kHz as 1.800: the decimal text of n thousandths.
QByteArray thousandths(int n)
{
    return QByteArray::number(n / 1000) + '.' + QByteArray::number(n % 1000).rightJustified(3, '0');
}

} // namespace

class TestLoadFile : public QObject
{
    Q_OBJECT

private slots:
    // Every unit, parameter and number format, each at 14200 kHz; the expected
    // impedances are worked by hand: Γ = j0.5 against 50 ohm is 30 + j40,
    // Γ = -0.2 + j0.4 is 25 + j25, y = 0.5 + j0.5 normalised to 50 ohm is
    // 50 - j50, ...
    void readsEachVariant_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("x");
        auto row = [](const char *name, const QByteArray &data, double r, double x) {
            QTest::newRow(name) << data << r << x;
        };
        row("defaults GHz S MA R 50", "#\n0.0142 0.5 90\n", 30, 40);
        row("Hz", "# Hz S MA R 50\n14200000 0.5 90\n", 30, 40);
        row("kHz", "# kHz S MA R 50\n14200 0.5 90\n", 30, 40);
        row("MHz", "# MHz S MA R 50\n14.2 0.5 90\n", 30, 40);
        row("S DB", "# MHz S DB R 50\n14.2 -6.0205999132796239 90\n", 30, 40);
        row("S RI", "# MHz S RI R 50\n14.2 -0.2 0.4\n", 25, 25);
        row("S referred to R 75", "# MHz S MA R 75\n14.2 0.2 0\n", 112.5, 0);
        row("Z RI normalised", "# MHz Z RI R 50\n14.2 0.4 2\n", 20, 100);
        row("Z MA normalised", "# MHz Z MA R 75\n14.2 1 -90\n", 0, -75);
        row("Y RI normalised", "# MHz Y RI R 50\n14.2 0.5 0.5\n", 50, -50);
        row("Y DB normalised", "# MHz Y DB R 100\n14.2 6.0205999132796239 0\n", 50, 0);
        row("words in any order and case", "# r 50 Ri z MHZ\n14.2 0.4 2\n", 20, 100);
        row("comments and blank lines",
            "! measured\n\n# MHz Z RI R 50 ! options\n! sweep\n\n14.2 0.4 2 ! point\n", 20, 100);
        row("BOM and CR LF", "\xEF\xBB\xBF# MHz Z RI R 50\r\n14.2\t0.4  2\r\n", 20, 100);
        row("CR alone", "# MHz Z RI R 50\r14.2 0.4 2\r", 20, 100);
        row("v2 Z in ohm", "! v2\n" + v2() + "[Network Data]\n14.2 20 100\n[End]\n", 20, 100);
        row("v2 Y in siemens", v2("# MHz Y RI R 50") + "[Network Data]\n14.2 0.01 -0.01\n[End]\n",
            50, 50);
        row("v2 [Reference] on its own line replaces R",
            "[Version] 2.1\n# MHz S MA R 50\n[number of ports] 1\n[Reference]\n75\n"
            "[Number of Frequencies] 1\n[Matrix Format] Full\n[Begin Information]\n"
            "[Manufacturer] x\n[End Information]\n[Network Data]\n14.2 0.2 0\n[End]\n! done\n",
            112.5, 0);
        row("v2 [Reference] wins over a later R",
            v2("[Reference] 75\n# MHz S MA R 50") + "[Network Data]\n14.2 0.2 0\n", 112.5, 0);
        row("CSV lab corpus", "frequency_khz,r,x\n14200,20,100\n", 20, 100);
        row("CSV analyser export", "Frequency (MHz), R, X\n14.2, 20, 100\n", 20, 100);
        row("CSV extra columns, quotes", "\"Freq [MHz]\",\"Rs\",\"Xs\",\"SWR\"\n14.2,20,100,x\n",
            20, 100);
        row("CSV semicolons, decimal comma", "Freq(Hz);R(Ohm);X(Ohm)\n14200000;20,5;-1,5\n", 20.5,
            -1.5);
        row("CSV tabs, bare unit", "! c\nMHz\tResistance\tReactance\n14.2\t20\t100\n", 20, 100);
        row("CSV S11", "Stimulus(Hz),Re(S11),Im(S11)\n14200000,-0.2,0.4\n", 25, 25);
        row("CSV S11 suffixed", "Frequency in GHz , s11_re , S11 Imag\n0.0142,-0.2,0.4\n", 25, 25);
    }
    void readsEachVariant()
    {
        QFETCH(QByteArray, data);
        QFETCH(double, r);
        QFETCH(double, x);
        const QVector<LoadPoint> points = parsed(data);
        // Exact: QCOMPARE would take 14199.999999999998 for 14200.
        QVERIFY(points.size() == 1 && points[0].frequencyKHz == 14200);
        QVERIFY2(near(points[0].z.R, r) && near(points[0].z.X, x),
                 qPrintable(QString::asprintf("%.17g %+.17g", points[0].z.R, points[0].z.X)));
    }

    // Frequencies are exact in kHz, the nearest double to the decimal value:
    // 100 000 points in Hz read as the decimal kHz text would, and every kHz
    // of HF given in MHz is whole, although 2.002 * 1000 is not 2002.
    void frequenciesAreExactDecimals()
    {
        QByteArray hz = "# Hz Z RI R 50\n";
        for (int i = 0; i < 100000; ++i)
            hz += QByteArray::number(1800000 + 281 * i) + " 1 0\n";
        const QVector<LoadPoint> a = parsed(hz);
        QCOMPARE(a.size(), 100000);
        for (int i = 0; i < a.size(); ++i)
            QVERIFY2(a[i].frequencyKHz == thousandths(1800000 + 281 * i).toDouble(),
                     QByteArray::number(i));

        QByteArray mhz = "# MHz Z RI R 50\n";
        for (int k = 1800; k <= 29700; ++k)
            mhz += thousandths(k) + " 1 0\n";
        mhz += "29.7001 1 0\n3e1 1 0\n3.00001e+1 1 0\n";
        const QVector<LoadPoint> b = parsed(mhz);
        QCOMPARE(b.size(), 29700 - 1800 + 4);
        for (int k = 1800; k <= 29700; ++k)
            QVERIFY2(b[k - 1800].frequencyKHz == k, qPrintable(QString::number(k)));
        QVERIFY(b[b.size() - 3].frequencyKHz == 29700.1 && b[b.size() - 2].frequencyKHz == 30000 &&
                b.last().frequencyKHz == 30000.1);
    }

    // Each fault names its line and says what is wrong; nothing is returned.
    void refusesMalformedInput_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        auto row = [](const char *name, const QByteArray &data, int line, const char *says) {
            QTest::newRow(name) << data << line << QString::fromLatin1(says);
        };
        const QByteArray z = "# MHz Z RI R 50\n";
        row("empty file", "", 1, "empty");
        row("only comments", "! a\n\n! b\n", 3, "no data points");
        row("only the option line", z + "! none\n", 2, "no data points");
        row("no option line", "! head\n14.2 0.4 2\n", 2, "no option line");
        row("second option line", z + "14.2 0.4 2\n# MHz S MA R 50\n", 3, "second option line");
        row("unknown option word", "# MHz S XY R 50\n", 1, "unknown word 'XY'");
        row("two units", "# MHz GHz\n", 1, "two frequency units");
        row("H parameters", "# MHz H RI R 50\n", 1, "two-port");
        row("R without value", "# MHz S RI R\n", 1, "R without");
        row("R not positive", "# MHz S RI R -50\n", 1, "not above 0");
        row("not a number", z + "14.2 0.4 2\n14.3 abc 2\n", 3, "'abc' is not a number");
        row("NaN value", z + "14.2 nan 2\n", 2, "not a finite number");
        row("value overflows", z + "14.2 1e999 2\n", 2, "out of range");
        row("two numbers", z + "14.2 0.4\n", 2, "2 numbers");
        row("two-port data", "# MHz S RI R 50\n14.2 0 0 1 0 1 0 0 0\n", 2, "more than one port");
        row("frequency repeated", z + "14.2 0.4 2\n14.25 0.4 2\n14.25 0.4 2\n", 4,
            "not above the one on line 3");
        row("frequency falls", z + "14.2 0.4 2\n14.1 0.4 2\n", 3, "must increase");
        row("frequency zero", z + "0 0.4 2\n", 2, "outside 1 kHz to 1 GHz");
        row("frequency negative", z + "-14.2 0.4 2\n", 2, "outside");
        row("frequency above 1 GHz", z + "1000.001 0.4 2\n", 2, "outside");
        row("frequency below 1 kHz", "# Hz Z RI R 50\n999 0.4 2\n", 2, "outside");
        row("frequency infinite", z + "inf 0.4 2\n", 2, "not a finite number");
        row("open circuit S = 1", "# MHz S RI R 50\n14.2 1 0\n", 2, "no finite impedance");
        const char nul[] = "14.2 0.4 2\n14.3 0.4\0 2\n";
        row("NUL byte", z + QByteArray(nul, sizeof nul - 1), 3, "binary");
        row("not UTF-8", "\x89PNG\r\n\x1a\n", 1, "binary");
        row("plain text", "hello world\n", 1, "neither");
        row("v2 port count", "[Version] 2.0\n# MHz Z RI R 50\n[Number of Ports] 2\n", 3, "2 ports");
        row("v2 too few points",
            "[Version] 2.0\n# MHz Z RI R 50\n[Number of Ports] 1\n[Number of Frequencies] 2\n"
            "[Network Data]\n14.2 20 100\n[End]\n",
            7, "says 2, but there are 1");
        row("v2 missing [End], too many", v2() + "[Network Data]\n14.2 20 100\n14.3 20 100\n", 7,
            "more data lines");
        row("v2 no frequency count",
            "[Version] 2.0\n# MHz Z RI R 50\n[Number of Ports] 1\n[Network Data]\n", 4,
            "[Number of Frequencies] is missing");
        row("v2 data before [Network Data]", v2() + "14.2 20 100\n", 5, "before [Network Data]");
        row("v2 unknown keyword", v2() + "[Colour] red\n", 5, "unknown keyword [Colour]");
        row("v2 noise data", v2() + "[Noise Data]\n", 5, "two-port");
        row("v2 text after [End]", v2() + "[Network Data]\n14.2 20 100\n[End]\n14.3 1 1\n", 8,
            "after [End]");
        row("v2 version later", "# MHz Z RI R 50\n[Version] 2.0\n", 2, "[Version] must come");
        row("v2 keyword in v1 file", "# MHz Z RI R 50\n[Network Data]\n", 2,
            "begin with [Version]");
        row("CSV unknown header", "a,b,c\n1,2,3\n", 1, "header 'a,b,c' names no frequency");
        row("CSV no unit", "freq,r,x\n14.2,20,100\n", 1, "does not say the frequency unit");
        row("CSV no values", "frequency_mhz,swr\n14.2,1.5\n", 1, "names neither R and X");
        row("CSV R alone", "frequency_mhz,r,swr\n14.2,20,1.5\n", 1, "only one of R and X");
        row("CSV no header", "14.2,20,100\n", 1, "header row");
        row("CSV field count", "frequency_khz,r,x\n14200,20,100\n14300,20\n", 3,
            "2 fields where the header has 3");
        row("CSV not a number", "frequency_khz,r,x\n14200,20,100\n14300,abc,100\n", 3,
            "column 'r': 'abc' is not a number");
    }
    void refusesMalformedInput()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, line);
        QFETCH(QString, says);
        QVector<LoadPoint> points{{1.0, Impedance(1, 1)}};
        LoadFileError error;
        QVERIFY(!LCNet::parseLoadData(data, QStringLiteral("ant.s1p"), &points, &error) &&
                points.isEmpty());
        QCOMPARE(error.line, line);
        QVERIFY2(error.message.contains(says), qPrintable(error.message));
        QVERIFY(error.text().startsWith(QStringLiteral("ant.s1p:%1: ").arg(line)));
    }

    // Files: one that cannot be opened or is no regular file names itself.
    // A half-wave dipole for 20 m modelled with nec2c reads as printed: 101
    // points from 13 to 15.5 MHz, 72.566 - j0.15559 ohm at 14.175 MHz.
    void readsFiles()
    {
        QTemporaryDir dir;
        QVector<LoadPoint> points;
        LoadFileError error;
        const QString missing = dir.filePath(QStringLiteral("missing.s1p"));
        QVERIFY(!LCNet::readLoadFile(missing, &points, &error));
        QCOMPARE(error.line, 0);
        QVERIFY(error.text().startsWith(missing + QStringLiteral(": cannot open")));
        QVERIFY(!LCNet::readLoadFile(dir.path(), &points, &error));
        QVERIFY(error.text().contains(QStringLiteral("not a regular file")));

        QVERIFY2(LCNet::readLoadFile(QFINDTESTDATA("data/dipole20m.s1p"), &points, &error),
                 qPrintable(error.text()));
        QCOMPARE(points.size(), 101);
        QVERIFY(points.first().frequencyKHz == 13000 && points.last().frequencyKHz == 15500);
        QVERIFY(points[47].frequencyKHz == 14175 && near(points[47].z.R, 72.566) &&
                near(points[47].z.X, -0.15559));
    }
};

QTEST_GUILESS_MAIN(TestLoadFile)
#include "tst_core_loadfile.moc"

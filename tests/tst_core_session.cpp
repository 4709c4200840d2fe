// Session files: what goes in comes back, and what is not a whole session
// of this program is refused by name.
#include "lcnet.h"

#include <QTemporaryDir>
#include <QtTest>

using LCNet::Calculator;
using LCNet::Impedance;
using LCNet::Session;

class TestSession : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    static Session unusual()
    {
        Session s;
        s.load = Impedance(-0.0, -HUGE_VAL);
        s.frequency = 1234567.891;
        s.inductance = 0.1 + 0.2;
        s.capacitance = qQNaN();
        s.netType = Calculator::CTrx;
        s.settings.lowSWR = 1.23456789;
        s.settings.smartTune = false;
        s.settings.numberOfRings = -7;
        LCNet::BankSpec::fromText("7: 0.1; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2",
                                  &s.settings.inductorBank);
        s.settings.components.enabled = true;
        s.settings.components.qL = 120;
        s.settings.cable = {"rg213", 50, 2.0};
        s.settings.settleTime = 0.004;
        return s;
    }

private slots:
    void roundTrip()
    {
        const QString path = dir.filePath("a.vorlap");
        const Session s = unusual();
        QString error;
        QVERIFY2(LCNet::writeSessionFile(path, s, &error), qPrintable(error));
        Session back;
        QVERIFY2(LCNet::readSessionFile(path, &back, &error), qPrintable(error));
        QVERIFY(std::signbit(back.load.R) && back.load.R == 0 && back.load.X == -HUGE_VAL);
        // Exactly: a fuzzy comparison would take 0.3 for 0.1 + 0.2.
        QVERIFY(back.frequency == 1234567.891 && back.inductance == 0.1 + 0.2 &&
                std::isnan(back.capacitance) && back.netType == Calculator::CTrx);
        QCOMPARE(LCNet::sessionToJson(back), LCNet::sessionToJson(s));

        // Into a calculator: settings and operating point, with a signal.
        Calculator calc;
        QSignalSpy changed(&calc, &Calculator::dataChanged);
        LCNet::applySession(calc, back);
        QVERIFY(changed.count() > 0);
        QCOMPARE(calc.inductorSteps().size(), 128);
        QCOMPARE(LCNet::sessionToJson(LCNet::sessionOf(calc)), LCNet::sessionToJson(s));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const QByteArray whole = LCNet::sessionToJson(unusual());
        // A truncated file names the line where it breaks off.
        const QByteArray cut = whole.left(whole.indexOf("\"settings\""));
        QTest::newRow("truncated") << cut << QString("x.vorlap:%1:").arg(cut.count('\n') + 1);
        QTest::newRow("empty") << QByteArray() << "not a session";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << "not a session";
        QTest::newRow("foreign") << QByteArray(R"({"name": "something else"})")
                                 << "not a session file of this program";
        // The whole session with one edit.
        const auto edited = [&](const char *from, const char *to) {
            return QByteArray(whole).replace(from, to);
        };
        QTest::newRow("newer") << edited("\"version\": 1", "\"version\": 7") << "newer version";
        QTest::newRow("wrong type")
            << edited("\"l_uh\": 0.30000000000000004", "\"l_uh\": true") << "operating_point.l_uh";
        QTest::newRow("missing load") << edited("\"load\"", "\"lode\"") << "operating_point.load";
        QTest::newRow("bad bank") << edited("\"relays\": 7", "\"relays\": 13")
                                  << "settings.banks.inductor_uh";
    }
    void refusals()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        Session s;
        s.frequency = 42;
        QString error;
        QVERIFY(!LCNet::sessionFromJson(content, "x.vorlap", &s, &error));
        QVERIFY2(error.startsWith("x.vorlap") && error.contains(expected), qPrintable(error));
        QCOMPARE(s.frequency, 42.0);
    }

    void unwritableTarget()
    {
        QString error;
        QVERIFY(!LCNet::writeSessionFile(dir.path(), unusual(), &error));
        QVERIFY(error.startsWith(dir.path()));
        QVERIFY(!LCNet::writeSessionFile(dir.filePath("no/such/dir/a.vorlap"), unusual(), &error));
        QVERIFY(!LCNet::readSessionFile(dir.filePath("none.vorlap"), nullptr, &error));
        QVERIFY(error.contains("none.vorlap"));
    }
};

QTEST_MAIN(TestSession)
#include "tst_core_session.moc"

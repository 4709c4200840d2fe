// vorlap-cli run as a process: its figures against the core's own, its
// errors, its settings file, and a search stopped by Ctrl+C.
#include "lcnet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <vector>

using LCNet::Calculator;
using LCNet::Impedance;

namespace
{

struct Result {
    int status = -1;
    QByteArray out, err;
    QJsonObject json;
};

Result cli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(VORLAP_CLI), args);
    process.waitForFinished(120000);
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, out,
            process.readAllStandardError(), QJsonDocument::fromJson(out).object()};
}

// Arguments without spaces, written as the shell line would read.
QStringList words(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

// A finite figure is a JSON number with exactly the core's value; JSON
// cannot hold the others, which go as strings.
bool same(const QJsonValue &v, double expected)
{
    if (std::isfinite(expected))
        return v.isDouble() && v.toDouble() == expected;
    return v.toString() == (std::isnan(expected) ? "nan" : expected > 0 ? "inf" : "-inf");
}

bool same(const QJsonValue &v, const Impedance &z)
{
    return same(v["r"], z.R) && same(v["x"], z.X);
}

#define CHECK_SAME(value, expected) QVERIFY2(same(value, expected), QJsonDocument(r.json).toJson())

QString configWord(int n)
{
    return n ? "trx" : "antenna";
}

Impedance loadOf(const QString &rx)
{
    return Impedance(rx.section(',', 0, 0).toDouble(), rx.section(',', 1).toDouble());
}

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return file.fileName();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void zin_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("defaults") << words("--freq 14000 --load 20,100 --l 12 --c 2000");
        QTest::newRow("typed values, C-TRX")
            << words("--freq 3500.5 --load 5,-20 --l 1.567 --c 2961.25 --config trx");
        // A matched load reflects nothing: return loss inf.
        QTest::newRow("inf") << words("--freq 14000 --load 50,0 --l 0 --c 0");
        QTest::newRow("-inf") << words("--freq 14000 --load 20,-inf --l 0 --c 0 --config trx");
    }
    void zin()
    {
        QFETCH(QStringList, args);
        const Result r = cli(QStringList{"zin"} + args);
        QCOMPARE(r.status, 0);

        const int config = args.contains("trx");
        Calculator calc;
        calc.setFrequency(args[1].toDouble());
        calc.setLoadImpedance(loadOf(args[3]));
        calc.setInductance(args[5].toDouble());
        calc.setCapacitance(args[7].toDouble());
        calc.setNetType(Calculator::NetType(config));
        const double swr = calc.currentSWR(), p = LCNet::reflectedPower(100, swr);
        QCOMPARE(r.json["config"].toString(), configWord(config));
        CHECK_SAME(r.json["zin"], calc.inputImpedance());
        CHECK_SAME(r.json["swr"], swr);
        CHECK_SAME(r.json["reflected_percent"], p);
        CHECK_SAME(r.json["transmission_loss_db"], LCNet::transmissionLoss(p, 100));
        CHECK_SAME(r.json["return_loss_db"], LCNet::returnLoss(p, 100));

        const Result text = cli(words("zin --format text") + args);
        QVERIFY(text.out.contains("\nSWR: " + LCNet::shortestText(swr).toLatin1() + '\n'));
    }

    void tune()
    {
        // Auto Tune's worked figures, and every match as the core emits it.
        struct Case {
            const char *args;
            const char *key;
            std::vector<int> iterations;
            int evaluations;
        } cases[] = {
            {"--freq 14000 --load 20,100", "brute", {4621, 4877}, 131072},
            {"--freq 14000 --load 20,100", "smart", {37}, 37},
            {"--freq 14000 --load 20,100 --low-swr 1", "smart", {}, 548},
            {"--freq 3500 --load 5,-20", "smart", {593}, 593},
        };
        for (const Case &c : cases) {
            const QStringList args = words(c.args);
            const Result r = cli(QStringList{"tune"} + args);
            QCOMPARE(r.status, 0);
            QCOMPARE(r.json.keys(), QStringList({"brute", "smart"}));
            const QJsonObject got = r.json[c.key].toObject();

            Calculator calc;
            calc.setFrequency(args[1].toDouble());
            calc.setLoadImpedance(loadOf(args[3]));
            calc.lowSWR = args.size() > 4 ? 1.0 : 1.2;
            QJsonArray matches;
            std::vector<int> iterations;
            connect(&calc, &Calculator::foundMatch,
                    [&](Calculator::NetType n, double l, double cp, Impedance z, double s, int i) {
                        iterations.push_back(i);
                        matches.append(QJsonObject{{"iteration", i},
                                                   {"config", configWord(n)},
                                                   {"l_uh", l},
                                                   {"c_pf", cp},
                                                   {"zin", QJsonObject{{"r", z.R}, {"x", z.X}}},
                                                   {"swr", s}});
                    });
            const int evaluations =
                QString(c.key) == "brute" ? calc.bruteForceSearch() : calc.smartTuneSearch();
            QVERIFY(evaluations == c.evaluations && got["evaluations"].toInt() == c.evaluations);
            QVERIFY(iterations == c.iterations);
            QCOMPARE(got["matches"].toArray(), matches);
            QCOMPARE(got["config"].toString(), configWord(calc.netType));
            QVERIFY(LCNet::LTable.at(got["l_step"].toInt()) == calc.inductance &&
                    LCNet::CTable.at(got["c_step"].toInt()) == calc.capacitance);
            QVERIFY(same(got["l_uh"], calc.inductance) && same(got["c_pf"], calc.capacitance) &&
                    same(got["zin"], calc.inputImpedance()) && same(got["swr"], calc.currentSWR()));
        }

        // The algorithms from the settings file, before or after the
        // command, unless the command line names one.
        const QStringList brute{
            "--settings",
            writeFile(dir, "brute.ini", "[matching]\nBruteForce=true\nSmartTune=false\n")};
        QCOMPARE(cli(brute + words("tune --freq 14000 --load 20,100")).json.keys(),
                 QStringList{"brute"});
        QCOMPARE(
            cli(words("tune --freq 14000 --load 20,100 --algorithm smart") + brute).json.keys(),
            QStringList{"smart"});
    }

    void matchedMismatchAndAntenna()
    {
        // Values also as --name=value.
        Result r = cli(words("matched --freq=14000 --l=1.65 --c 180"));
        QCOMPARE(r.status, 0);
        Calculator calc;
        calc.setInductance(1.65);
        calc.setCapacitance(180);
        CHECK_SAME(r.json["load"], calc.matchedZLoad());

        // The first hit lies on ring 4: 16 + j104, SWR about 1.515.
        const QStringList point =
            words("mismatch --freq 14000 --load 20,100 --l 1.65 --c 180 --target-swr 1.5");
        r = cli(point + words("--step 1"));
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json["found"], true);
        CHECK_SAME(r.json["load"], Impedance(16, 104));
        QVERIFY(std::abs(r.json["swr"].toDouble() - 1.515) < 1e-3);
        // The step from the settings file; the ring limit from the command line.
        const QString file = writeFile(dir, "step.ini", "[zLoad]\nImpedanceStep=1\n");
        r = cli(point + QStringList{"--settings", file, "--rings", "2"});
        QCOMPARE(r.json["found"], false);
        CHECK_SAME(r.json["load"], Impedance(20, 100));

        const QStringList antenna = words("antenna --freq 14000 --load 20,100");
        r = cli(antenna);
        QCOMPARE(r.status, 0);
        const Impedance z = calc.antennaImpedance(10);
        CHECK_SAME(r.json["antenna"], z);
        QVERIFY(std::abs(z.R - 4.0344) < 1e-4 && std::abs(z.X + 9.2690) < 1e-4);
        // Lossless line: the antenna's SWR is the load's.
        QVERIFY(std::abs(r.json["swr"].toDouble() - 12.822) < 1e-3);

        // A missing key reads as its default (the cable length 10 m); options
        // override the file.
        const QStringList vf{"--settings",
                             writeFile(dir, "vf.ini", "[zAntenna]\nVelocityFactor=0.5\n")};
        r = cli(antenna + vf);
        calc.velocityFactor = 0.5;
        CHECK_SAME(r.json["antenna"], calc.antennaImpedance(10));
        r = cli(antenna + vf + words("--length 0 --velocity-factor 0"));
        CHECK_SAME(r.json["antenna"], Impedance(NAN, NAN));
        r = cli(antenna + words("--length 0"));
        CHECK_SAME(r.json["antenna"], Impedance(20, 100));
    }

    void cancelledMismatch()
    {
        // Nothing passive or active has an SWR of 0.5, and the rings go far.
        QProcess process;
        process.start(VORLAP_CLI, words("mismatch --freq 14000 --load 20,100 --l 1.65 --c 180 "
                                        "--target-swr 0.5 --rings 2000000000"));
        process.setReadChannel(QProcess::StandardError);
        // The first progress line comes after a second, with the handler in place.
        QByteArray progress;
        while (!progress.contains("ring")) {
            QVERIFY(process.waitForReadyRead(60000));
            progress += process.readAllStandardError();
        }
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        QVERIFY(json["found"] == false && json["cancelled"] == true && json["load"]["r"] == 20);
    }

    // Real components, the user's banks and a real cable: the core's figures
    // under the added keys; --power moves no figure of the plain display.
    void componentsBanksAndCable()
    {
        const QStringList zin = words("zin --freq 14000 --load 20,100 --l 1.65 --c 180 --q-l 100");
        const Result r = cli(zin + words("--power 400"));
        QCOMPARE(r.status, 0);
        Calculator calc;
        calc.setInductance(1.65);
        calc.setCapacitance(180);
        calc.components.enabled = true;
        calc.components.qL = 100;
        calc.components.power = 400;
        const LCNet::PowerFigures f = calc.powerFigures();
        CHECK_SAME(r.json["zin"], calc.inputImpedance());
        CHECK_SAME(r.json["efficiency"], f.efficiency);
        CHECK_SAME(r.json["v_c_peak_v"], f.voltageCPeak);
        CHECK_SAME(r.json["loss_l_w"], f.lossL);
        CHECK_SAME(r.json["power_in_w"], f.powerIn);
        QCOMPARE(r.json["reflected_percent"],
                 cli(zin + words("--power 5")).json["reflected_percent"]);
        QVERIFY(!cli(words("zin --freq 1 --load 1,1 --l 1 --c 1")).json.contains("efficiency"));

        const QJsonValue small =
            cli(words("tune --freq 14000 --load 20,100 --algorithm brute") +
                QStringList{"--l-bank", "2: 0.5; 1, 2", "--c-bank", "2: 10; 50, 100"})
                .json["brute"];
        QVERIFY(small["evaluations"] == 32 && small["l_step"].toInt() >= 0 &&
                small["l_step"].toInt() < 4);

        // Through 30 m of lossy line the mismatch at the tuner is milder.
        const QJsonObject line =
            cli(words("antenna --freq 14200 --load 60,40 --length 30 --cable rg213")).json;
        QVERIFY(line["swr_line_tuner"].toDouble() < line["swr_line_antenna"].toDouble());
        QVERIFY(!cli(words("antenna --freq 14200 --load 60,40")).json.contains("cable"));
    }

    // The sweep prints the core's text for the file; the lab repeats a
    // seeded run.
    void sweepAndLab()
    {
        const QString dipole = QFINDTESTDATA("data/dipole20m.s1p");
        const Result csv = cli({"sweep", dipole, "--algorithm", "smart"});
        QCOMPARE(csv.status, 0);
        QVector<LCNet::LoadPoint> points;
        QVERIFY(LCNet::readLoadFile(dipole, &points, nullptr));
        LCNet::SweepOptions options = LCNet::SweepOptions::of(Calculator());
        options.algorithm = LCNet::SweepAlgorithm::SmartTune;
        QCOMPARE(QString::fromUtf8(csv.out), LCNet::sweepCsv(LCNet::runSweep(points, options)));
        const Result json =
            cli(QStringList{"sweep", dipole} + words("--format json --cable-length 5"));
        QCOMPARE(QJsonDocument::fromJson(json.out).array().size(), points.size());

        const QStringList lab = words("lab --count 60 --seed 5 --algorithms smart,valley");
        const Result first = cli(lab + QStringList{"--per-load", dir.filePath("per.csv")});
        QCOMPARE(first.status, 0);
        QCOMPARE(first.out, cli(lab).out);
        QVERIFY(first.json["seed"] == 5 && first.json["loads"] == 60);
        QVERIFY(first.json["algorithms"]["valley"]["readings_mean"].toDouble() > 0);
        QFile per(dir.filePath("per.csv"));
        QVERIFY(per.open(QIODevice::ReadOnly));
        QCOMPARE(per.readAll().count('\n'), 1 + 60 * 2);
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        const QStringList zin = words("zin --freq 14000 --load 20,100 --l 1 --c 1");
        const QStringList tune = words("tune --freq 1 --load 1,1");
        const QString bad = writeFile(dir, "bad.ini", "; comment\n[matching]\nLowSWR=2\n# no\n");
        const QString none =
            writeFile(dir, "none.ini", "[matching]\nBruteForce=false\nSmartTune=false\n");
        const QString file = writeFile(dir, "bad.s1p", "# MHz Z RI R 50\n14 1 2\n13 1 2\n");
        QTest::newRow("no command") << words("--format text") << "command";
        QTest::newRow("unknown command") << words("zim") << "zim";
        QTest::newRow("unknown option") << zin + words("--target-swr 2") << "--target-swr";
        QTest::newRow("missing value") << words("zin --freq") << "--freq";
        QTest::newRow("value is an option") << words("zin --freq --l 1") << "--freq";
        QTest::newRow("not a number")
            << QStringList(zin).replaceInStrings("14000", "abc") << "--freq";
        QTest::newRow("one number for a load")
            << QStringList(zin).replaceInStrings("20,100", "20") << "--load";
        QTest::newRow("missing option") << zin.mid(0, 7) << "--c";
        QTest::newRow("bad choice") << zin + words("--config ctrx") << "--config";
        QTest::newRow("bad format") << zin + words("--format xml") << "--format";
        QTest::newRow("extra argument") << zin + words("20") << "'20'";
        QTest::newRow("no file") << zin + QStringList{"--settings", dir.filePath("none")} << "none";
        QTest::newRow("malformed file") << zin + QStringList{"--settings", bad} << "bad.ini:4:";
        QTest::newRow("integer")
            << words("mismatch --freq 1 --load 1,1 --l 1 --c 1 --target-swr 2 --rings 1e4")
            << "--rings";
        for (const char *q : {"0", "-5", "nan"})
            QTest::addRow("Q %s", q) << zin + QStringList{"--q-c", q} << "--q-c";
        QTest::newRow("bad bank") << tune + QStringList{"--l-bank", "2: 0; 1"} << "--l-bank";
        QTest::newRow("no algorithm") << QStringList{"--settings", none} + tune << "--algorithm";
        // A load file it cannot read names the file and line.
        QTest::newRow("bad load file") << QStringList{"sweep", file} << "bad.s1p:3:";
        QTest::newRow("unknown search") << words("lab --algorithms smart,guess") << "guess";
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const Result r = cli(args);
        // Exit status 2, nothing on standard output, one line naming the fault.
        QVERIFY2(r.status == 2 && r.out.isEmpty() && r.err.count('\n') == 1 &&
                     r.err.contains(named.toUtf8()),
                 r.err);
    }

    void help()
    {
        Result r = cli(words("--help"));
        QCOMPARE(r.status, 0);
        for (const char *command : {"zin", "tune", "matched", "mismatch", "antenna"})
            QVERIFY(r.out.contains(QByteArray("\n  ") + command + ' '));
        // Help wins over a bad value.
        r = cli(words("tune --freq abc --help"));
        QVERIFY(r.status == 0 && r.out.contains("--algorithm brute|smart|both"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

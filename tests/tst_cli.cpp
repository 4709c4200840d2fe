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

// A finite figure is a JSON number with exactly the core's value; JSON
// cannot hold the others, which go as strings.
bool same(const QJsonValue &v, double expected)
{
    if (std::isnan(expected))
        return v.toString() == "nan";
    if (std::isinf(expected))
        return v.toString() == (expected > 0 ? "inf" : "-inf");
    return v.isDouble() && v.toDouble() == expected;
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

QString valueOf(const QStringList &args, const QString &name)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == name)
            return args.value(i + 1);
        if (args[i].startsWith(name + '='))
            return args[i].section('=', 1);
    }
    return {};
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
        QTest::addColumn<int>("config");
        QTest::newRow("defaults") << QStringList{"--freq", "14000", "--load", "20,100",
                                                 "--l",    "12",    "--c",    "2000"}
                                  << 0;
        QTest::newRow("typed values, C-TRX")
            << QStringList{"--freq=3500.5", "--load",  "5,-20",    "--l", "1.567",
                           "--c",           "2961.25", "--config", "trx"}
            << 1;
        // A matched load reflects nothing: return loss inf.
        QTest::newRow("inf") << QStringList{"--freq", "14000", "--load", "50,0",
                                            "--l",    "0",     "--c",    "0"}
                             << 0;
        QTest::newRow("-inf") << QStringList{"--freq", "14000", "--load", "20,-inf",  "--l",
                                             "0",      "--c",   "0",      "--config", "trx"}
                              << 1;
    }
    void zin()
    {
        QFETCH(QStringList, args);
        QFETCH(int, config);
        const Result r = cli(QStringList{"zin"} + args);
        QCOMPARE(r.status, 0);

        Calculator calc;
        calc.setFrequency(valueOf(args, "--freq").toDouble());
        const QStringList load = valueOf(args, "--load").split(',');
        calc.setLoadImpedance(Impedance(load[0].toDouble(), load[1].toDouble()));
        calc.setInductance(valueOf(args, "--l").toDouble());
        calc.setCapacitance(valueOf(args, "--c").toDouble());
        calc.setNetType(Calculator::NetType(config));
        Impedance zIn;
        double swr;
        calc.calculate(zIn, swr);
        const double p = LCNet::reflectedPower(100, swr);
        QCOMPARE(r.json["config"].toString(), configWord(config));
        CHECK_SAME(r.json["zin"], zIn);
        CHECK_SAME(r.json["swr"], swr);
        CHECK_SAME(r.json["reflected_percent"], p);
        CHECK_SAME(r.json["transmission_loss_db"], LCNet::transmissionLoss(p, 100));
        CHECK_SAME(r.json["return_loss_db"], LCNet::returnLoss(p, 100));

        const Result text = cli(QStringList{"zin", "--format", "text"} + args);
        QVERIFY(text.out.contains("\nSWR: " + LCNet::shortestText(swr).toLatin1() + '\n'));
    }

    void tune()
    {
        // Auto Tune's worked figures, and every match as the core emits it.
        struct Case {
            QStringList args;
            const char *key;
            std::vector<int> iterations;
            int evaluations;
        } cases[] = {
            {{"--freq", "14000", "--load", "20,100"}, "brute", {4621, 4877}, 131072},
            {{"--freq", "14000", "--load", "20,100"}, "smart", {37}, 37},
            {{"--freq", "14000", "--load", "20,100", "--low-swr", "1"}, "smart", {}, 548},
            {{"--freq", "3500", "--load", "5,-20"}, "smart", {593}, 593},
        };
        for (const Case &c : cases) {
            const Result r = cli(QStringList{"tune"} + c.args);
            QCOMPARE(r.status, 0);
            QCOMPARE(r.json.keys(), QStringList({"brute", "smart"}));
            const QJsonObject got = r.json[c.key].toObject();

            Calculator calc;
            calc.setFrequency(c.args[1].toDouble());
            calc.setLoadImpedance(Impedance(c.args[3].section(',', 0, 0).toDouble(),
                                            c.args[3].section(',', 1).toDouble()));
            calc.lowSWR = c.args.size() > 4 ? 1.0 : 1.2;
            std::vector<QJsonObject> matches;
            connect(&calc, &Calculator::foundMatch,
                    [&](Calculator::NetType n, double l, double cp, Impedance z, double s, int i) {
                        matches.push_back({{"iteration", i},
                                           {"config", configWord(n)},
                                           {"l_uh", l},
                                           {"c_pf", cp},
                                           {"zin", QJsonObject{{"r", z.R}, {"x", z.X}}},
                                           {"swr", s}});
                    });
            const int evaluations =
                QString(c.key) == "brute" ? calc.bruteForceSearch() : calc.smartTuneSearch();
            QCOMPARE(evaluations, c.evaluations);
            QCOMPARE(got["evaluations"].toInt(), c.evaluations);
            const QJsonArray list = got["matches"].toArray();
            QCOMPARE(size_t(list.size()), matches.size());
            for (size_t i = 0; i < matches.size(); ++i) {
                QCOMPARE(list[int(i)].toObject(), matches[i]);
                QCOMPARE(matches[i]["iteration"].toInt(), c.iterations[i]);
            }
            Impedance zIn;
            double swr;
            calc.calculate(zIn, swr);
            QCOMPARE(got["config"].toString(), configWord(calc.netType));
            QCOMPARE(LCNet::LTable.at(got["l_step"].toInt()), calc.inductance);
            QCOMPARE(LCNet::CTable.at(got["c_step"].toInt()), calc.capacitance);
            QVERIFY(same(got["l_uh"], calc.inductance) && same(got["c_pf"], calc.capacitance));
            QVERIFY(same(got["zin"], zIn) && same(got["swr"], swr));
        }
        const QJsonObject smart =
            cli({"tune", "--freq", "3500", "--load", "5,-20"}).json["smart"].toObject();
        QCOMPARE(smart["config"], "trx");
        QCOMPARE(smart["l_uh"], 1.56);
        QCOMPARE(smart["c_pf"], 2961);
    }

    void tuneFollowsSettings()
    {
        const QString brute = writeFile(dir, "brute.ini",
                                        "[matching]\nBruteForce=true\n"
                                        "SmartTune=false\n");
        Result r = cli({"--settings", brute, "tune", "--freq", "14000", "--load", "20,100"});
        QCOMPARE(r.json.keys(), QStringList{"brute"});
        r = cli({"tune", "--freq", "14000", "--load", "20,100", "--settings", brute, "--algorithm",
                 "smart"});
        QCOMPARE(r.json.keys(), QStringList{"smart"});
        const QString none = writeFile(dir, "none.ini",
                                       "[matching]\nBruteForce=false\n"
                                       "SmartTune=false\n");
        r = cli({"--settings", none, "tune", "--freq", "14000", "--load", "20,100"});
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty() && r.err.contains("--algorithm"));
    }

    void matched()
    {
        const Result r = cli({"matched", "--freq", "14000", "--l", "1.65", "--c", "180"});
        QCOMPARE(r.status, 0);
        Calculator calc;
        calc.setFrequency(14000);
        calc.setInductance(1.65);
        calc.setCapacitance(180);
        const Impedance z = calc.matchedZLoad();
        CHECK_SAME(r.json["load"], z);
        calc.setLoadImpedance(z);
        QVERIFY(std::abs(calc.currentSWR() - 1.0) < 1e-9);
    }

    void mismatch()
    {
        // The first hit lies on ring 4: 16 + j104, SWR about 1.515.
        const QStringList point{"mismatch", "--freq", "14000", "--load", "20,100",
                                "--l",      "1.65",   "--c",   "180",    "--target-swr",
                                "1.5",      "--step", "1"};
        Result r = cli(point);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json["found"], true);
        CHECK_SAME(r.json["load"], Impedance(16, 104));
        QVERIFY(std::abs(r.json["swr"].toDouble() - 1.515) < 1e-3);
        // The step from the settings file; the ring limit from the command line.
        const QString file = writeFile(dir, "step.ini", "[zLoad]\nImpedanceStep=1\n");
        r = cli(point.mid(0, 11) + QStringList{"--settings", file, "--rings", "2"});
        QCOMPARE(r.json["found"], false);
        CHECK_SAME(r.json["load"], Impedance(20, 100));
    }

    void cancelledMismatch()
    {
        // Nothing passive or active has an SWR of 0.5, and the rings go far.
        QProcess process;
        process.start(VORLAP_CLI, {"mismatch", "--freq", "14000", "--load", "20,100", "--l", "1.65",
                                   "--c", "180", "--target-swr", "0.5", "--rings", "2000000000"});
        process.setReadChannel(QProcess::StandardError);
        QVERIFY(process.waitForStarted());
        // The first progress line comes after a second, with the handler in place.
        QByteArray progress;
        while (!progress.contains("ring")) {
            QVERIFY(process.waitForReadyRead(60000));
            progress += process.readAllStandardError();
        }
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        QCOMPARE(json["found"], false);
        QCOMPARE(json["cancelled"], true);
        QCOMPARE(json["load"]["r"], 20);
    }

    void antenna()
    {
        Result r = cli({"antenna", "--freq", "14000", "--load", "20,100"});
        QCOMPARE(r.status, 0);
        Calculator calc;
        calc.setLoadImpedance(Impedance(20, 100));
        const Impedance z = calc.antennaImpedance(10);
        CHECK_SAME(r.json["antenna"], z);
        QVERIFY(std::abs(z.R - 4.0344) < 1e-4 && std::abs(z.X + 9.2690) < 1e-4);
        // Lossless line: the antenna's SWR is the load's.
        QVERIFY(std::abs(r.json["swr"].toDouble() - 12.822) < 1e-3);

        // A missing key reads as its default (the cable length 10 m); options
        // override the file.
        const QString file = writeFile(dir, "vf.ini", "[zAntenna]\nVelocityFactor=0.5\n");
        r = cli({"antenna", "--freq", "14000", "--load", "20,100", "--settings", file});
        calc.velocityFactor = 0.5;
        CHECK_SAME(r.json["antenna"], calc.antennaImpedance(10));
        r = cli({"antenna", "--freq", "14000", "--load", "20,100", "--settings", file, "--length",
                 "0", "--velocity-factor", "0"});
        CHECK_SAME(r.json["antenna"], Impedance(NAN, NAN));
        r = cli({"antenna", "--freq", "14000", "--load", "20,100", "--length", "0"});
        CHECK_SAME(r.json["antenna"], Impedance(20, 100));
    }

    // Real components, the user's banks and a real cable: the core's figures
    // under the added keys; --power moves no figure of the plain display.
    void componentsBanksAndCable()
    {
        const QStringList zin{"zin",  "--freq", "14000", "--load", "20,100", "--l",
                              "1.65", "--c",    "180",   "--q-l",  "100"};
        const Result r = cli(zin + QStringList{"--power", "400"});
        const Result lowPower = cli(zin + QStringList{"--power", "5"});
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
        QCOMPARE(r.json["reflected_percent"], lowPower.json["reflected_percent"]);
        QVERIFY(r.json["power_in_w"].toDouble() > 70 * lowPower.json["power_in_w"].toDouble());
        QVERIFY(!cli({"zin", "--freq", "1", "--load", "1,1", "--l", "1", "--c", "1"})
                     .json.contains("efficiency"));
        for (const char *q : {"0", "-5", "nan"}) {
            const Result bad = cli(zin + QStringList{"--q-c", q});
            QVERIFY(bad.status == 2 && bad.out.isEmpty() && bad.err.contains("--q-c"));
        }

        const Result small =
            cli({"tune", "--freq", "14000", "--load", "20,100", "--algorithm", "brute", "--l-bank",
                 "2: 0.5; 1, 2", "--c-bank", "2: 10; 50, 100"});
        QCOMPARE(small.json["brute"]["evaluations"].toInt(), 32);
        QVERIFY(small.json["brute"]["l_step"].toInt() >= 0 &&
                small.json["brute"]["l_step"].toInt() < 4);
        const Result badBank = cli({"tune", "--freq", "1", "--load", "1,1", "--l-bank", "2: 0; 1"});
        QVERIFY(badBank.status == 2 && badBank.err.contains("--l-bank"));

        // Through 30 m of lossy line the mismatch at the tuner is milder.
        const Result line = cli({"antenna", "--freq", "14200", "--load", "60,40", "--length", "30",
                                 "--cable", "rg213"});
        QVERIFY(line.json["swr_line_tuner"].toDouble() < line.json["swr_line_antenna"].toDouble());
        QVERIFY(!cli({"antenna", "--freq", "14200", "--load", "60,40"}).json.contains("cable"));
    }

    // The sweep prints the core's text for the file; a file it cannot read
    // is one line naming the file and line. The lab repeats a seeded run.
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
        QVERIFY(csv.out.startsWith("frequency_khz,load_r,load_x,load_swr,config,l_step,c_step,"
                                   "l_uh,c_pf,zin_r,zin_x,swr\n"));
        const Result json = cli({"sweep", dipole, "--format", "json", "--cable-length", "5"});
        QCOMPARE(QJsonDocument::fromJson(json.out).array().size(), points.size());
        const QString bad = writeFile(dir, "bad.s1p", "# MHz Z RI R 50\n14 1 2\n13 1 2\n");
        const Result refused = cli({"sweep", bad});
        QVERIFY(refused.status == 2 && refused.out.isEmpty());
        QVERIFY2(refused.err.contains("bad.s1p:3:") && refused.err.count('\n') == 1, refused.err);

        const QStringList lab{"lab", "--count",      "60",          "--seed",
                              "5",   "--algorithms", "smart,valley"};
        const Result first = cli(lab + QStringList{"--per-load", dir.filePath("per.csv")});
        QCOMPARE(first.status, 0);
        QCOMPARE(first.out, cli(lab).out);
        QCOMPARE(first.json["seed"].toInt(), 5);
        QCOMPARE(first.json["loads"].toInt(), 60);
        QVERIFY(first.json["algorithms"]["valley"]["readings_mean"].toDouble() > 0);
        QFile per(dir.filePath("per.csv"));
        QVERIFY(per.open(QIODevice::ReadOnly));
        QCOMPARE(per.readAll().count('\n'), 1 + 60 * 2);
        const Result unknown = cli({"lab", "--algorithms", "smart,guess"});
        QVERIFY(unknown.status == 2 && unknown.err.contains("guess"));
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        const QStringList zin{"zin", "--freq", "14000", "--load", "20,100", "--l", "1", "--c", "1"};
        const QString bad = writeFile(dir, "bad.ini", "; comment\n[matching]\nLowSWR=2\n# no\n");
        QTest::newRow("no command") << QStringList{"--format", "text"} << "command";
        QTest::newRow("unknown command") << QStringList{"zim"} << "zim";
        QTest::newRow("unknown option") << zin + QStringList{"--target-swr", "2"} << "--target-swr";
        QTest::newRow("missing value") << QStringList{"zin", "--freq"} << "--freq";
        QTest::newRow("value is an option") << QStringList{"zin", "--freq", "--l", "1"} << "--freq";
        QTest::newRow("not a number")
            << QStringList(zin).replaceInStrings("14000", "abc") << "--freq";
        QTest::newRow("one number for a load")
            << QStringList(zin).replaceInStrings("20,100", "20") << "--load";
        QTest::newRow("missing option") << zin.mid(0, 7) << "--c";
        QTest::newRow("bad choice") << zin + QStringList{"--config", "ctrx"} << "--config";
        QTest::newRow("bad format") << zin + QStringList{"--format", "xml"} << "--format";
        QTest::newRow("extra argument") << zin + QStringList{"20"} << "'20'";
        QTest::newRow("no file") << zin + QStringList{"--settings", dir.filePath("none")} << "none";
        QTest::newRow("malformed file") << zin + QStringList{"--settings", bad} << "bad.ini:4:";
        QTest::newRow("integer") << QStringList{"mismatch", "--freq",       "1", "--load",
                                                "1,1",      "--l",          "1", "--c",
                                                "1",        "--target-swr", "2", "--rings",
                                                "1e4"}
                                 << "--rings";
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const Result r = cli(args);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains(named.toUtf8()), r.err);
    }

    void help()
    {
        Result r = cli({"--help"});
        QCOMPARE(r.status, 0);
        for (const char *command : {"zin", "tune", "matched", "mismatch", "antenna"})
            QVERIFY(r.out.contains(QByteArray("\n  ") + command + ' '));
        r = cli({"tune", "--freq", "abc", "--help"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("--algorithm brute|smart|both"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

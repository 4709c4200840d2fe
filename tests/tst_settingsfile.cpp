#include "mainwindow.h"
#include "settings.h"

#include <QtTest>

// Where the settings file goes: beside the executable in a build tree,
// in the user's configuration folder once the program is installed.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void location_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("made");     // a file that exists beside it
        QTest::addColumn<QString>("expected"); // "config/..." or beside the exe
        const QString entry = QStringLiteral("/share/applications/" VORLAP_APP_ID ".desktop");
        QTest::newRow("build tree, base name up to the first dot") << "build/app/tuner.test.exe"
                                                                   << ""
                                                                   << "build/app/tuner.ini";
        QTest::newRow("installed under a home prefix, folder writable")
            << "home/.local/bin/vorlap"
            << "home/.local" + entry << "config/vorlap.ini";
        QTest::newRow("another program's entry only") << "opt/bin/vorlap"
                                                      << "opt/share/applications/other.desktop"
                                                      << "opt/bin/vorlap.ini";
        // A folder that does not exist cannot be written, even by root.
        QTest::newRow("folder not writable") << "gone/vorlap"
                                             << ""
                                             << "config/vorlap.ini";
    }
    void location()
    {
        QFETCH(QString, exe);
        QFETCH(QString, made);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        if (!exe.startsWith("gone/"))
            QVERIFY(root.mkpath(QFileInfo(exe).path()));
        if (!made.isEmpty()) {
            QVERIFY(root.mkpath(QFileInfo(made).path()));
            QFile file(root.filePath(made));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString config = root.filePath("config");
        const QString path = MainWindow::settingsFilePath(root.filePath(exe), config);
        QCOMPARE(path, QDir::toNativeSeparators(root.filePath(expected)));

        // The configuration folder need not exist: the first save makes it.
        QSettings ini(path, QSettings::IniFormat);
        LCNet::writeSettings(ini, LCNet::Settings());
        ini.sync();
        QCOMPARE(ini.status(), QSettings::NoError);
        QVERIFY(QFile::exists(path));
    }

    void runningExecutable()
    {
        // The tests run from the build tree: the file stays beside them.
        QCOMPARE(MainWindow::settingsFilePath(),
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                          "/tst_settingsfile.ini"));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"

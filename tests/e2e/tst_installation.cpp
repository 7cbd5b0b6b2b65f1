#include "common/ProgramProcess.h"
#include "common/TestSupport.h"

#include <QDirIterator>
#include <QIcon>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString appId = QStringLiteral("org.korvina.Korvina");

// The first match of the pattern's group in a file.
QString firstMatch(const QString& file, const QString& pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(QString::fromUtf8(fileContents(file))).captured(1);
}

// The lines under a heading up to the next heading (a line that starts at column 0), as one
// line of words: wrapping, indentation and the parser's <ARG> brackets do not count.
QString section(const QString& text, const QString& heading)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList words;
    for (qsizetype i = lines.indexOf(heading) + 1; i > 0 && i < lines.size(); ++i) {
        if (!lines[i].isEmpty() && !lines[i].front().isSpace())
            break;
        words << lines[i];
    }
    return words.join(QLatin1Char(' ')).remove(QRegularExpression("[<>]")).simplified();
}
}

// Korvina installed into a prefix, as `cmake --install` or the package puts it on a desktop.
class InstallationTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString installed(const QString& relative) const { return m_prefix.path() + QLatin1Char('/') + relative; }
    QString program() const { return installed(QStringLiteral("bin/korvina")); }
    QString entry() const { return installed("share/applications/" + appId + ".desktop"); }
    QString metadata() const { return installed("share/metainfo/" + appId + ".metainfo.xml"); }

private slots:
    void initTestCase()
    {
        const ProcessRun r = runProcess(qEnvironmentVariable("CMAKE_COMMAND", QStringLiteral("cmake")),
                          {"--install", qEnvironmentVariable("KORVINA_BUILD_DIR"), "--prefix", m_prefix.path()});
        QVERIFY2(r.code == 0, qPrintable(r.output + r.errors));
    }

    void everyFileInItsPlace()
    {
        // The menu entry, the metadata and the manual: the tests that read them.
        QVERIFY(QFileInfo(program()).isExecutable());
        for (const char* file : {"copyright", "changelog.gz"})
            QVERIFY2(QFileInfo(installed("share/doc/korvina/") + file).isFile(), file);
        // The whole resource folders, including files added to them later.
        const QString source = qEnvironmentVariable("KORVINA_SOURCE_DIR") + QStringLiteral("/resources");
        for (const char* folder : {"/Bin", "/Docs"}) {
            QDirIterator it(source + QLatin1String(folder), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                const QString copy = installed(QStringLiteral("share/korvina") + file.mid(source.size()));
                QVERIFY2(fileContents(copy) == fileContents(file), qPrintable(copy));
            }
        }
        // The installed icons at every size, and the window's own icon down to sixteen pixels.
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + appId + ".png"));
            QCOMPARE(icon.size(), QSize(size, size));
        }
        QVERIFY(!QIcon(":/icons/" + appId + ".svg").pixmap(16, 16).isNull());
    }

    void manualPageMatchesHelp_data()
    {
        QTest::addColumn<QString>("helpHeading");
        QTest::addColumn<QString>("manHeading");
        QTest::newRow("options") << "Options:" << "OPTIONS";
        QTest::newRow("exit codes") << "Exit status:" << "EXIT STATUS";
        QTest::newRow("environment") << "Environment:" << "ENVIRONMENT";
    }

    // --help lists what the parser was given; the manual page is written from the table.
    void manualPageMatchesHelp()
    {
        QFETCH(QString, helpHeading);
        QFETCH(QString, manHeading);
        const ProcessRun help = runProcess(program(), {"--help"});
        QCOMPARE(help.code, 0);
        QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
        plain.insert("LC_ALL", "C");
        plain.insert("MANWIDTH", "200");
        const ProcessRun man = runProcess("man", {"--nh", "--nj", "-l", installed("share/man/man1/korvina.1.gz")}, plain);
        QVERIFY2(man.code == 0, qPrintable(man.errors));
        const QString fromHelp = section(help.output, helpHeading);
        QVERIFY(!fromHelp.isEmpty());
        QCOMPARE(section(man.output, manHeading), fromHelp);
    }

    // A variable the program reads and the manual does not name is one a user cannot find.
    void everyVariableTheProgramReadsIsDocumented()
    {
        const QString help = runProcess(program(), {"--help"}).output;
        const QRegularExpression read(R"re((?:qEnvironmentVariable\w*|qgetenv|getenv)\("(KORVINA_\w+)")re");
        QDirIterator it(qEnvironmentVariable("KORVINA_SOURCE_DIR") + "/src", {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            for (const QRegularExpressionMatch& m : read.globalMatch(QString::fromUtf8(fileContents(file))))
                QVERIFY2(help.contains("\n  " + m.captured(1) + " "), qPrintable(m.captured(1) + " in " + file));
        }
    }

    void desktopFilesValidate()
    {
        for (const ProcessRun& r : {runProcess("desktop-file-validate", {entry()}), runProcess("appstreamcli", {"validate", "--no-net", metadata()})})
            QVERIFY2(r.code == 0, qPrintable(r.output + r.errors));
        // The menu entry starts the installed program with the installed icon.
        QCOMPARE(firstMatch(entry(), "^Exec=(\\S+)"), QString("korvina"));
        const QString icon = firstMatch(entry(), "^Icon=(.+)$");
        QVERIFY(QFileInfo::exists(installed("share/icons/hicolor/scalable/apps/" + icon + ".svg")));
        // The newest release in the metadata is the version the program reports.
        const ProcessRun version = runProcess(program(), {"--version"});
        QCOMPARE(version.output.trimmed(), "Korvina " + firstMatch(metadata(), "<release version=\"([^\"]+)\""));
    }

    void installedProgramUsesInstalledResources()
    {
        // A file that only the installed share folder holds reaches the new DataFolder.
        const QString marker = installed("share/korvina/Docs/Lead-Installed.Htm");
        QVERIFY(writeFile(marker, "<p>installed</p>"));
        QTemporaryDir data;
        ProcessRun r = runProcess(program(), {"--data", data.path() + "/office", "--init", "--demo"});
        QVERIFY(QFile::remove(marker));
        QVERIFY2(r.code == 0, qPrintable(r.output + r.errors));
        QVERIFY(QFileInfo::exists(data.path() + "/office/Korvina.Kys"));
        QCOMPARE(fileContents(data.path() + "/office/Docs/Lead-Installed.Htm"), QByteArray("<p>installed</p>"));

        // Without its share folder the installed program refuses rather than make an incomplete one.
        const QString share = installed("share/korvina");
        QVERIFY(QDir().rename(share, share + ".away"));
        r = runProcess(program(), {"--data", data.path() + "/second", "--init"});
        QVERIFY(QDir().rename(share + ".away", share));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.errors.contains(share), qPrintable(r.errors));
        QVERIFY(!QFileInfo::exists(data.path() + "/second/Korvina.Kys"));
    }

    void installedProgramFindsItsDataFolder()
    {
        // Without --data: the user's data folder...
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.path());
        ProcessRun r = runProcess(program(), {"--init"}, environment);
        QVERIFY2(r.code == 0, qPrintable(r.errors));
        QVERIFY(QFileInfo::exists(home.path() + "/Korvina/Korvina.Kys"));

        // ...unless a database sits beside the program: a portable copy is its own DataFolder.
        const QString bin = installed("bin");
        QCOMPARE(runProcess(program(), {"--data", bin, "--init"}).code, 0);
        r = runProcess(program(), {"--init"}, environment);
        QFile::remove(bin + "/Korvina.Kys");
        QCOMPARE(r.code, 1);
        QVERIFY2(r.errors.contains(bin + "/Korvina.Kys"), qPrintable(r.errors));
    }
};

QTEST_MAIN(InstallationTest)
#include "tst_installation.moc"

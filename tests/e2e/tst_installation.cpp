#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
const QString appId = QStringLiteral("org.korvina.Korvina");

struct Run {
    int code = -1;
    QString output; // standard output
    QString errors; // standard error
    QByteArray all() const { return (output + errors).toLocal8Bit(); }
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    Run r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.output = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.errors = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The value of one key of a desktop entry ("" when missing).
QString desktopValue(const QString& path, const QString& key)
{
    for (const QString& line : QString::fromUtf8(contents(path)).split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return {};
}
}

// Korvina installed into a prefix, as a package or `cmake --install` puts it on a desktop.
class InstallationTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString installed(const QString& relative) const { return m_prefix.path() + QLatin1Char('/') + relative; }
    QString program() const { return installed(QStringLiteral("bin/korvina")); }

private slots:
    void initTestCase()
    {
        const Run r = run(qEnvironmentVariable("CMAKE_COMMAND", QStringLiteral("cmake")),
                          {"--install", qEnvironmentVariable("KORVINA_BUILD_DIR"), "--prefix", m_prefix.path()});
        QVERIFY2(r.code == 0, r.all().constData());
    }

    void everyFileInItsPlace_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("program") << "bin/korvina";
        QTest::newRow("menu entry") << "share/applications/" + appId + ".desktop";
        QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/" + appId + ".svg";
        QTest::newRow("software centre metadata") << "share/metainfo/" + appId + ".metainfo.xml";
        QTest::newRow("manual page") << "share/man/man1/korvina.1";
    }
    void everyFileInItsPlace()
    {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(installed(path)).isFile(), qPrintable(path));
        QCOMPARE(QFileInfo(program()).isExecutable(), true);
    }

    void resourcesInstalledWhole()
    {
        // Every file of the folders a new DataFolder receives, including ones added later.
        const QString source = qEnvironmentVariable("KORVINA_SOURCE_DIR") + QStringLiteral("/resources");
        int count = 0;
        for (const char* folder : {"Bin", "Docs"}) {
            QDirIterator it(source + QLatin1Char('/') + QLatin1String(folder), QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                const QString copy = installed(QStringLiteral("share/korvina") + file.mid(source.size()));
                QVERIFY2(contents(copy) == contents(file), qPrintable(copy));
                ++count;
            }
        }
        QVERIFY(QFileInfo::exists(installed("share/korvina/Bin/KVKorvina.html")));
        QVERIFY(count >= 4);
    }

    void desktopFilesValidate_data()
    {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("menu entry") << "desktop-file-validate"
                                    << QStringList{installed("share/applications/" + appId + ".desktop")};
        QTest::newRow("metadata") << "appstreamcli"
                                  << QStringList{"validate", "--no-net",
                                                 installed("share/metainfo/" + appId + ".metainfo.xml")};
    }
    void desktopFilesValidate()
    {
        QFETCH(QString, validator);
        QFETCH(QStringList, arguments);
        const Run r = run(validator, arguments);
        QVERIFY2(r.code == 0, r.all().constData());
    }

    void menuEntryAndMetadataAgreeWithTheInstall()
    {
        const QString entry = installed("share/applications/" + appId + ".desktop");
        QCOMPARE(desktopValue(entry, "Exec").section(QLatin1Char(' '), 0, 0), QString("korvina"));
        QVERIFY(QFileInfo::exists(installed("share/icons/hicolor/scalable/apps/" + desktopValue(entry, "Icon") + ".svg")));

        // Element texts of the metadata by name; the first <release> is the newest.
        QMap<QString, QString> metadata;
        QXmlStreamReader xml(contents(installed("share/metainfo/" + appId + ".metainfo.xml")));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            if (name == "release" && !metadata.contains(name))
                metadata.insert(name, xml.attributes().value("version").toString());
            else if (name == "id" || name == "launchable" || name == "binary")
                metadata.insert(name, xml.readElementText());
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(metadata.value("id"), appId);
        QCOMPARE(metadata.value("launchable"), appId + ".desktop");
        QCOMPARE(metadata.value("binary"), QString("korvina"));
        // The newest release named in the metadata is the version the program reports.
        const QString release = metadata.value("release");
        const Run version = run(program(), {"--version"});
        QCOMPARE(version.code, 0);
        QCOMPARE(version.output.trimmed(), "Korvina " + release);
    }

    void installedProgramUsesInstalledResources()
    {
        // A file that only the installed share folder holds reaches the new DataFolder.
        const QString marker = installed("share/korvina/Docs/Lead-Installed.Htm");
        {
            QFile f(marker);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<html><body>installed</body></html>");
        }
        QTemporaryDir data;
        const QString office = data.path() + "/office";
        Run r = run(program(), {"--data", office, "--init", "--demo"});
        QVERIFY2(r.code == 0, r.all().constData());
        QVERIFY(QFileInfo::exists(office + "/Korvina.Kys"));
        QVERIFY(QFileInfo::exists(office + "/Bin/KVKorvina.html"));
        QCOMPARE(contents(office + "/Docs/Lead-Installed.Htm"), contents(marker));
        QVERIFY(QFile::remove(marker));

        // Without its share folder the installed program refuses rather than make an incomplete one.
        const QString share = installed("share/korvina");
        QVERIFY(QDir().rename(share, share + ".away"));
        r = run(program(), {"--data", data.path() + "/second", "--init"});
        QVERIFY(QDir().rename(share + ".away", share));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.errors.contains(share), r.all().constData());
        QVERIFY(!QFileInfo::exists(data.path() + "/second/Korvina.Kys"));
    }

    void installedProgramFindsItsDataFolder()
    {
        // Without --data: the user's data folder...
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.path());
        Run r = run(program(), {"--init"}, environment);
        QVERIFY2(r.code == 0, r.all().constData());
        QVERIFY(QFileInfo::exists(home.path() + "/Korvina/Korvina.Kys"));

        // ...unless a database sits beside the program: a portable copy is its own DataFolder.
        const QString bin = installed("bin");
        r = run(program(), {"--data", bin, "--init"}, environment);
        QVERIFY2(r.code == 0, r.all().constData());
        r = run(program(), {"--init"}, environment);
        QFile::remove(bin + "/Korvina.Kys");
        for (const char* folder : {"Bin", "Docs", "Arch"})
            QDir(bin + "/" + folder).removeRecursively();
        QCOMPARE(r.code, 1);
        QVERIFY2(r.errors.contains(bin + "/Korvina.Kys"), r.all().constData());
    }

    void windowIconReadableAtSixteenPixels()
    {
        const QIcon icon(QStringLiteral(":/icons/") + appId + QStringLiteral(".svg"));
        const QImage small = icon.pixmap(16, 16).toImage();
        QCOMPARE(small.size(), QSize(16, 16));
        // The mark has both the tile's colour and the letter's white at that size.
        int white = 0;
        int tile = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor c = small.pixelColor(x, y);
                if (c.alpha() == 255 && c.lightness() > 230)
                    ++white;
                else if (c.alpha() == 255 && c.blue() > c.red() + 60)
                    ++tile;
            }
        QVERIFY2(white >= 12 && tile >= 60, qPrintable(QString("white %1, tile %2").arg(white).arg(tile)));
    }
};

QTEST_MAIN(InstallationTest)
#include "tst_installation.moc"

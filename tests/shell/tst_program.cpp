#include "common/TestSupport.h"

#include "platform/LockFile.h"
#include "platform/Recordset.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

// The program-wide routines, the database a new installation gets, and the command line.
class ProgramTest : public QObject {
    Q_OBJECT

    static QStringList listingLines()
    {
        QFile f(state().ErrorListing);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    static QByteArray digest(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    static int runKorvina(const QStringList& args, QString* errors = nullptr)
    {
        QProcess p;
        p.start(qEnvironmentVariable("KORVINA_BINARY"), args);
        p.waitForFinished(60000);
        if (errors)
            *errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // Starts the program on a folder and waits until it has the database open behind the
    // log-in screen (its lock on the database, taken after the maintenance); then ends it.
    static bool reachesTheLogin(const QString& folder)
    {
        QProcess p;
        p.start(qEnvironmentVariable("KORVINA_BINARY"), {"--data", folder});
        p.waitForStarted();
        bool reached = false;
        for (int waited = 0; waited < 60000 && p.state() == QProcess::Running && !reached; waited += 100) {
            QTest::qWait(100);
            reached = LockFile::isHeldByAnother(folder + "/Korvina.Ldb")
                      && QDir(folder + "/Arch").entryList({"Ko*.Kys"}).size() == 1;
        }
        if (!reached)
            qWarning("the program did not reach the log-in: %s", p.readAllStandardError().constData());
        p.kill();
        p.waitForFinished();
        return reached;
    }

private slots:
    void startsOfTheProgram()
    {
        QTemporaryDir dir;
        const QString normal = dir.path() + "/normal";
        QCOMPARE(runKorvina({"--data", normal, "--init", "--demo"}), 0);
        const QByteArray customers = digest(normal + "/Korvina.Kys");

        // A normal start runs the maintenance and reaches the log-in.
        QVERIFY(reachesTheLogin(normal));

        // Only the compacted copy of an interrupted compaction: the start repairs and goes on.
        const QString repair = dir.path() + "/repair";
        QVERIFY(QDir().mkpath(repair));
        QVERIFY(QFile::copy(dir.path() + "/normal/Korvina.Kys", repair + "/Korvina.Cpt"));
        QVERIFY(reachesTheLogin(repair));
        QVERIFY(QFile::exists(repair + "/Korvina.Kys"));
        QVERIFY(!QFile::exists(repair + "/Korvina.Cpt"));
        Q_UNUSED(customers);
    }

    void connectionStringAndPassword()
    {
        TestDataFolder folder({.open = false, .login = false});
        const QString cs = state().connection->connectionString();
        QVERIFY(cs.startsWith("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder.path() + "/Korvina.Kys;"
                              "Persist Security Info=False;Jet OLEDB:Database Password="));
        QCOMPARE(state().databasePassword().size(), 6);
        QCOMPARE(state().ContentTables, QStringList({"ktCustomer", "ktNews", "ktLead", "ktSurvey"}));
        QCOMPARE(state().HelpFile, folder.path() + "/Bin/KVKorvina.html");
    }

    void logErrorWritesOneLinePerFailure()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        LogError(AppError(3075, "Korvina database", "Syntax error, in query"));
        QVERIFY(!Guard([] { throw AppError(13, "ApplyLook", "Type mismatch"); }));
        QVERIFY(Guard([] {}));
        const QStringList lines = listingLines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(messages.shown, QStringList({"Error!", "Error!"}));
        // date-time, number, source, description; a comma in the description is kept as it is
        QVERIFY(lines.at(0).endsWith(",3075,Korvina database,Syntax error, in query"));
        QVERIFY(lines.at(1).endsWith(",13,ApplyLook,Type mismatch"));

        // A missing Docs folder is created again so that nothing goes unrecorded.
        QDir(folder.file("Docs")).removeRecursively();
        LogError(AppError(1, "x", "y"));
        QCOMPARE(listingLines().size(), 1);
        QCOMPARE(messages.count("Error!"), 3);
    }

    void loadersCopyEveryValue()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        folder.exec("UPDATE kaPreference SET PMailFoot='N', PMailType='O', PSmtpSrvr='smtp.example.net', "
                    "PSmtpPort='587', PSmtpFrom='a@example.net', PSmtpUser='u1', PPasscd='pw'");
        folder.exec("UPDATE kaCustomize SET CBackColor='1', CTexTure='2', CTextFont='Georgia', CTextSize='12', "
                    "CTextColor='3', CDefaScrn='Y', CAdminDisp='Y', CModiPass='Y', CAllowDele='N', CDelePass='Y', "
                    "CShowDash='N'");
        LoadMailPreferences();
        LoadCustomization();
        const ProgramState& s = state();
        QCOMPARE(QStringList({s.PMailFoot, s.PMailType, s.PSmtpSrvr, s.PSmtpPort, s.PSmtpFrom, s.PSmtpUser, s.PPasscd}),
                 QStringList({"N", "O", "smtp.example.net", "587", "a@example.net", "u1", "pw"}));
        QCOMPARE(QStringList({s.CBackColor, s.CTexTure, s.CTextFont, s.CTextSize, s.CTextColor, s.CDefaScrn,
                              s.CAdminDisp, s.CModiPass, s.CAllowDele, s.CDelePass, s.CShowDash}),
                 QStringList({"1", "2", "Georgia", "12", "3", "Y", "Y", "Y", "N", "Y", "N"}));
        QVERIFY(messages.shown.isEmpty());

        // An empty preference table: one report, the values stay as they were.
        folder.exec("DELETE FROM kaPreference");
        QVERIFY(!Guard(LoadMailPreferences));
        QCOMPARE(messages.shown, QStringList{"Error!"});
        QCOMPARE(s.PSmtpSrvr, QString("smtp.example.net"));
        QVERIFY(!state().settingsReader.isOpen());
    }

    void newDatabaseColumns()
    {
        TestDataFolder folder;
        struct Expect { const char* table; const char* column; int position; int type; int size; };
        const Expect expected[] = {
            {"ktCustomer", "CEmail", 16, FieldType::VarChar, 50}, {"ktCustomer", "CType", 18, FieldType::Integer, 4},
            {"ktCustomer", "CActive", 19, FieldType::VarChar, 1}, {"ktNews", "NMessage", 5, FieldType::Memo, 65500},
            {"ktSurvey", "SCount", 3, FieldType::Integer, 4},     {"ktSurvey", "SQuery10", 16, FieldType::VarChar, 250},
            {"ktSUpdate", "SAnswer10", 12, FieldType::Integer, 4}, {"ktESurvey", "ESentDate", 5, FieldType::Date, 8},
            {"kaEnterprise", "EPasscd", 14, FieldType::VarChar, 10}, {"kaCustomize", "CShowDash", 12, FieldType::VarChar, 1},
        };
        for (const Expect& e : expected) {
            Recordset r;
            r.open(QString("Select * From ") + e.table, *state().connection, CursorType::Static, LockType::ReadOnly);
            QCOMPARE(r.field(e.position).name(), QString(e.column));
            QCOMPARE(r.field(e.position).type(), e.type);
            QCOMPARE(r.field(e.position).definedSize(), e.size);
        }
        QCOMPARE(Schema::tables().size(), 14);
        // The required rows.
        QCOMPARE(folder.count("kaEnterprise"), 1);
        QCOMPARE(folder.count("kaPreference"), 1);
        QCOMPARE(folder.count("kaCustomize"), 1);
        QCOMPARE(folder.scalar("Select ULogin From kaUser Where EId= 1"), QString("Chief"));
        QCOMPARE(folder.scalar("Select CShowDash From kaCustomize"), QString("Y"));
    }

    void commandLineInitRefusesToOverwrite()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/office";
        QString errors;
        QCOMPARE(runKorvina({"--data", data, "--init"}, &errors), 0);
        QVERIFY(QFile::exists(data + "/Korvina.Kys"));
        QVERIFY(QFile::exists(data + "/Bin/KVKorvina.html"));
        QVERIFY(QDir(data + "/Arch").exists());
        const QByteArray before = digest(data + "/Korvina.Kys");
        QCOMPARE(runKorvina({"--data", data, "--init", "--demo"}, &errors), 1);
        QVERIFY(errors.contains("already exists"));
        QCOMPARE(digest(data + "/Korvina.Kys"), before);

        // Beside the compacted copy of an interrupted compaction --init refuses (the next start puts
        // the copy back), and a start goes ahead to the maintenance instead of asking for --init.
        const QString stranded = dir.path() + "/stranded";
        QVERIFY(QDir().mkpath(stranded));
        QVERIFY(QFile::copy(data + "/Korvina.Kys", stranded + "/Korvina.Cpt"));
        QCOMPARE(runKorvina({"--data", stranded, "--init"}, &errors), 1);
        QVERIFY(errors.contains("Korvina.Cpt"));
        QVERIFY(!QFile::exists(stranded + "/Korvina.Kys"));

        QVERIFY(runKorvina({"--bogus"}, &errors) != 0);
        QVERIFY(errors.contains("--data"));      // the usage text follows the error
        QVERIFY(runKorvina({"--demo", "--data", data}, &errors) != 0);
        QVERIFY(runKorvina({"--data", dir.path() + "/nowhere"}, &errors) != 0);
        QVERIFY(errors.contains("--init"));
    }
};

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"

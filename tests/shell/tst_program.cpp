#include "common/ProgramProcess.h"
#include "common/TestSupport.h"
#include "common/VirtualDisplay.h"

#include "platform/LockFile.h"
#include "platform/Recordset.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/ExitCode.h"
#include "base/Schema.h"
#include "shell/DatabaseCreator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
// Every row of a query, by column name.
QList<QVariantMap> rows(const QString& sql)
{
    Recordset r;
    r.open(sql, *state().connection, CursorType::Static, LockType::ReadOnly);
    QList<QVariantMap> out;
    for (const QVector<QVariant>& values : r.rows()) {
        QVariantMap row;
        for (int i = 0; i < values.size(); ++i)
            row[r.columns()[i].name] = values[i];
        out << row;
    }
    return out;
}
}

// The program-wide routines, the database a new installation gets (with the demo content too),
// and the command line.
class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    // The real program on a display of its own, for each way a start can go: it shows the
    // window of the row, the key a user would press answers it, and it ends with the row's code.
    void startsOfTheProgram_data()
    {
        QTest::addColumn<QString>("folderHolds");  // the database, or only a compaction's copy
        QTest::addColumn<bool>("anotherCopy");     // another copy has the database open
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("key");
        QTest::addColumn<ExitCode>("code");
        QTest::newRow("normal start to the log-in, left with Esc")
            << "Korvina.Kys" << false << "Login" << "Escape" << ExitCode::Success;
        QTest::newRow("interrupted compaction repaired on the way")
            << "Korvina.Cpt" << false << "Login" << "Escape" << ExitCode::Success;
        QTest::newRow("refused while another copy has it open")
            << "Korvina.Kys" << true << "Korvina" << "Return" << ExitCode::Failure;
    }

    void startsOfTheProgram()
    {
        QFETCH(QString, folderHolds);
        QFETCH(bool, anotherCopy);
        QFETCH(QString, window);
        QFETCH(QString, key);
        QFETCH(ExitCode, code);
        QTemporaryDir dir;
        const QString made = dir.path() + "/made", folder = dir.path() + "/office";
        QCOMPARE(runKorvina({"--data", made, "--init", "--demo"}).code, 0);
        QVERIFY(QDir().mkpath(folder + "/Arch"));
        QVERIFY(QFile::copy(made + "/Korvina.Kys", folder + "/" + folderHolds));
        const QByteArray customers = fileContents(folder + "/" + folderHolds);
        LockFile other;
        if (anotherCopy)
            other.acquire(folder + "/Korvina.Ldb");

        VirtualDisplay display;
        QVERIFY2(display.isRunning(), "Xvfb did not start");
        QProcess korvina;
        korvina.setProcessEnvironment(display.environment());
        korvina.start(korvinaBinary(), {"--data", folder});
        QVERIFY(korvina.waitForStarted());
        const bool answered = display.pressKey(korvina.processId(), window, key);
        if (!answered)
            korvina.kill();
        QVERIFY(korvina.waitForFinished(30000));
        QVERIFY2(answered, qPrintable("no window \"" + window + "\": " + korvina.readAllStandardError()));
        QCOMPARE(korvina.exitStatus(), QProcess::NormalExit);
        QCOMPARE(korvina.exitCode(), int(code));

        // A refused start leaves everything as it was; the others ran the maintenance, which
        // put the database back in place and archived it.
        const QStringList archives = QDir(folder + "/Arch").entryList({"Ko*.Kys"});
        QCOMPARE(archives.size(), anotherCopy ? 0 : 1);
        QVERIFY(QFile::exists(folder + "/Korvina.Kys"));
        QVERIFY(!QFile::exists(folder + "/Korvina.Cpt"));
        if (anotherCopy)
            QCOMPARE(fileContents(folder + "/Korvina.Kys"), customers);
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
        // The required rows.
        for (const char* table : {"kaEnterprise", "kaPreference", "kaCustomize"})
            QCOMPARE(folder.count(table), 1);
        QCOMPARE(folder.scalar("Select ULogin From kaUser Where EId= 1"), QString("Chief"));
        QCOMPARE(folder.scalar("Select CShowDash From kaCustomize"), QString("Y"));
    }

    void commandLineInitRefusesToOverwrite()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/office";
        QCOMPARE(runKorvina({"--data", data, "--init"}).code, 0); // the installation itself: shell.tst_firststart
        QVERIFY(QDir(data + "/Arch").exists());
        const QByteArray before = fileContents(data + "/Korvina.Kys");
        ProcessRun run = runKorvina({"--data", data, "--init", "--demo"});
        QCOMPARE(run.code, 1);
        QVERIFY(run.errors.contains("already exists"));
        QCOMPARE(fileContents(data + "/Korvina.Kys"), before);

        // Beside the compacted copy of an interrupted compaction --init refuses (the next start puts
        // the copy back), and a start goes ahead to the maintenance instead of asking for --init.
        const QString stranded = dir.path() + "/stranded";
        QVERIFY(QDir().mkpath(stranded));
        QVERIFY(QFile::copy(data + "/Korvina.Kys", stranded + "/Korvina.Cpt"));
        run = runKorvina({"--data", stranded, "--init"});
        QCOMPARE(run.code, 1);
        QVERIFY(run.errors.contains("Korvina.Cpt"));
        QVERIFY(!QFile::exists(stranded + "/Korvina.Kys"));

        run = runKorvina({"--bogus"});
        QCOMPARE(run.code, int(ExitCode::Usage));
        QVERIFY(run.errors.contains("--data")); // the usage text follows the error
        QVERIFY(runKorvina({"--demo", "--data", data}).code != 0);
        run = runKorvina({"--data", dir.path() + "/nowhere"});
        QVERIFY(run.code != 0);
        QVERIFY(run.errors.contains("--init"));
    }

    // The demo content: enough customers in enough countries for reports and campaigns, every
    // record complete enough that the record screens can show and save it unchanged, and
    // surveys and newsletters a run can use.
    void demoContent()
    {
        const TestDataFolder folder({.content = DemoData::fill});
        QVERIFY(folder.count(QStringLiteral("ktCustomer")) >= 50);
        QCOMPARE(folder.count(QStringLiteral("kmCustType")), 4);
        const QString countries = QStringLiteral("Select Count(*) From (Select Distinct CCountry From ktCustomer)");
        QVERIFY(folder.scalar(countries).toInt() >= 3);
        // Every id refers to an existing record ("table column, referred table column"); every
        // customer type has customers, so every line of the type summary shows.
        for (const char* reference :
             {"ktCustomer CType kmCustType EId", "kmCustType EId ktCustomer CType", "ktNews NType kmNewsType EId",
              "ktSUpdate SSurveyId ktSurvey EId", "ktSNews SNewsId ktNews EId", "ktSNews SCType kmCustType EId",
              "ktMLead MLeadId ktLead EId", "ktMLead MCType kmCustType EId", "ktESurvey ESurveyId ktSurvey EId",
              "ktESurvey ECType kmCustType EId"}) {
            const QStringList p = QString::fromLatin1(reference).split(QLatin1Char(' '));
            const QString sql = QStringLiteral("Select Count(*) From %1 Where %2 Not In (Select %4 From %3)");
            QVERIFY2(folder.scalar(sql.arg(p[0], p[1], p[2], p[3])) == QLatin1String("0"), reference);
        }

        for (const char* name : {"ktCustomer", "kmCustType", "kmNewsType", "ktNews", "ktLead", "ktSurvey", "ktSUpdate",
                                 "ktSNews", "ktMLead", "ktESurvey"}) {
            const QList<QVariantMap> data = rows(QStringLiteral("Select * From ") + QLatin1String(name));
            QVERIFY2(!data.isEmpty(), name);
            for (const QVariantMap& row : data)
                for (const SchemaColumn& col : Schema::table(QLatin1String(name))->columns) {
                    const QString at = QStringLiteral("%1.%2 of EId %3").arg(name, col.name, row["EId"].toString());
                    const QVariant value = row.value(col.name);
                    QVERIFY2(!value.isNull(), qPrintable(at + QStringLiteral(" missing")));
                    if (col.kind == SchemaColumn::Text || col.kind == SchemaColumn::Memo)
                        QVERIFY2(!value.toString().trimmed().isEmpty() && value.toString().size() <= col.width,
                                 qPrintable(at + QStringLiteral(" blank or too long")));
                }
        }

        for (const QVariantMap& survey : rows(QStringLiteral("Select * From ktSurvey"))) {
            QCOMPARE(survey[QStringLiteral("SCount")].toInt(), 10);
            QSet<QString> questions;
            for (int q = 1; q <= 10; ++q)
                questions.insert(survey[QStringLiteral("SQuery%1").arg(q)].toString().trimmed());
            questions.remove(QString());
            QCOMPARE(questions.size(), 10); // ten different, non-empty questions
        }

        // Every merge tag of a newsletter names a customer column, so a run replaces it.
        const QVariantMap customer = rows(QStringLiteral("Select * From ktCustomer")).first();
        const QRegularExpression tag(QStringLiteral("<<([^<>]*)>>"));
        for (const QVariantMap& news : rows(QStringLiteral("Select NMessage From ktNews"))) {
            int tags = 0;
            for (auto it = tag.globalMatch(news[QStringLiteral("NMessage")].toString()); it.hasNext(); ++tags) {
                const QString name = it.next().captured(1);
                QVERIFY2(customer.contains(name), qPrintable(QStringLiteral("<<%1>>").arg(name)));
            }
            QVERIFY(tags >= 2);
        }
    }
};

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"

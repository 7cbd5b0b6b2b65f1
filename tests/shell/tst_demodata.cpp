// The demo content of a new installation: enough customers in enough countries to make
// reports and campaigns worth looking at, and every record complete enough that the record
// screens can show and save it unchanged (every field is required there).

#include "common/TestSupport.h"

#include "platform/Recordset.h"
#include "shell/ProgramState.h"
#include "shell/Schema.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <memory>

namespace {

struct Rows {
    QStringList names;
    QVector<QVector<QVariant>> rows;
    int column(const QString& name) const { return int(names.indexOf(name)); }
};

Rows query(const QString& sql)
{
    Recordset r;
    r.open(sql, *state().connection, CursorType::Static, LockType::ReadOnly);
    Rows out;
    for (const ColumnInfo& c : r.columns())
        out.names << c.name;
    out.rows = r.rows();
    r.close();
    return out;
}

QSet<qint64> ids(const QString& table)
{
    QSet<qint64> out;
    for (const auto& row : query(QStringLiteral("Select EId From ") + table).rows)
        out.insert(row[0].toLongLong());
    return out;
}

// Every text column of every row of table holds a non-blank value that fits the column.
void checkTextsComplete(const QString& table)
{
    const SchemaTable* schema = Schema::table(table);
    QVERIFY(schema);
    const Rows data = query(QStringLiteral("Select * From ") + table);
    QVERIFY2(!data.rows.isEmpty(), qPrintable(table + QStringLiteral(" is empty")));
    for (const SchemaColumn& col : schema->columns) {
        const int c = data.column(col.name);
        QVERIFY2(c >= 0, qPrintable(table + QLatin1Char('.') + col.name));
        for (const auto& row : data.rows) {
            const QString where = table + QLatin1Char('.') + col.name + QStringLiteral(" of EId ")
                                  + row[0].toString();
            QVERIFY2(!row[c].isNull(), qPrintable(where + QStringLiteral(" is missing")));
            if (col.kind == SchemaColumn::Text || col.kind == SchemaColumn::Memo) {
                const QString text = row[c].toString();
                QVERIFY2(!text.trimmed().isEmpty(), qPrintable(where + QStringLiteral(" is blank")));
                QVERIFY2(text.size() <= col.width, qPrintable(where + QStringLiteral(" is too long")));
            }
        }
    }
}

} // namespace

class TestDemoData : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedMessages> messages;
    std::unique_ptr<TestDataFolder> folder;

private slots:
    void initTestCase()
    {
        messages = std::make_unique<ScriptedMessages>();
        TestDataFolder::Options options;
        options.demo = true;
        folder = std::make_unique<TestDataFolder>(options);
    }

    void cleanupTestCase()
    {
        folder.reset();
        messages.reset();
    }

    void customersAreRealisticAndComplete()
    {
        QVERIFY(folder->count(QStringLiteral("ktCustomer")) >= 50);
        QCOMPARE(folder->count(QStringLiteral("kmCustType")), 4);
        QCOMPARE(folder->count(QStringLiteral("kmNewsType")), 2);
        checkTextsComplete(QStringLiteral("ktCustomer"));
        checkTextsComplete(QStringLiteral("kmCustType"));
        checkTextsComplete(QStringLiteral("kmNewsType"));

        const QSet<qint64> types = ids(QStringLiteral("kmCustType"));
        const Rows customers = query(QStringLiteral("Select * From ktCustomer"));
        const int cType = customers.column(QStringLiteral("CType"));
        const int cActive = customers.column(QStringLiteral("CActive"));
        const int cTitle = customers.column(QStringLiteral("CTitle"));
        const int cCountry = customers.column(QStringLiteral("CCountry"));
        const int cEmail = customers.column(QStringLiteral("CEmail"));
        const QRegularExpression address(QStringLiteral("^[a-z0-9.]+@example\\.(com|org|net)$"));
        const QStringList titles{QStringLiteral("Mr"), QStringLiteral("Mrs"), QStringLiteral("Ms"),
                                 QStringLiteral("Dr")};

        QSet<QString> countries, emails;
        QSet<qint64> typesUsed;
        int active = 0, inactive = 0;
        for (const auto& row : customers.rows) {
            const qint64 type = row[cType].toLongLong();
            QVERIFY2(types.contains(type), qPrintable(QStringLiteral("customer %1 has type %2")
                                                           .arg(row[0].toString()).arg(type)));
            typesUsed.insert(type);
            QVERIFY(titles.contains(row[cTitle].toString()));
            const QString flag = row[cActive].toString();
            QVERIFY(flag == QLatin1String("Y") || flag == QLatin1String("N"));
            (flag == QLatin1String("Y") ? active : inactive)++;
            countries.insert(row[cCountry].toString());
            const QString email = row[cEmail].toString();
            QVERIFY2(address.match(email).hasMatch(), qPrintable(email));
            emails.insert(email);
        }
        QVERIFY(countries.size() >= 3);
        QCOMPARE(typesUsed.size(), 4); // every type has customers, so every type summary line shows
        QVERIFY(inactive >= 1);
        QVERIFY(active > inactive * 4);
        QCOMPARE(emails.size(), customers.rows.size()); // one mailbox per customer
    }

    void contentIsCompleteAndUsable()
    {
        QCOMPARE(folder->count(QStringLiteral("ktNews")), 3);
        QCOMPARE(folder->count(QStringLiteral("ktLead")), 2);
        QCOMPARE(folder->count(QStringLiteral("ktSurvey")), 2);
        for (const char* table : {"ktNews", "ktLead", "ktSurvey", "ktSUpdate", "ktSNews", "ktMLead", "ktESurvey"})
            checkTextsComplete(QString::fromLatin1(table));

        // Every merge tag of a newsletter names a customer column, so a run replaces it.
        QSet<QString> customerColumns;
        for (const SchemaColumn& c : Schema::table(QStringLiteral("ktCustomer"))->columns)
            customerColumns.insert(c.name);
        const QSet<qint64> newsTypes = ids(QStringLiteral("kmNewsType"));
        const Rows news = query(QStringLiteral("Select NType, NMessage From ktNews"));
        const QRegularExpression tag(QStringLiteral("<<([^<>]*)>>"));
        for (const auto& row : news.rows) {
            QVERIFY(newsTypes.contains(row[0].toLongLong()));
            const QString message = row[1].toString();
            QVERIFY(message.contains(QLatin1Char('\n')));
            int tags = 0;
            for (auto it = tag.globalMatch(message); it.hasNext(); ++tags) {
                const QString name = it.next().captured(1);
                QVERIFY2(customerColumns.contains(name), qPrintable(QStringLiteral("<<%1>>").arg(name)));
            }
            QVERIFY(tags >= 2);
        }

        for (const auto& row : query(QStringLiteral("Select LMessage From ktLead")).rows) {
            const QString html = row[0].toString().trimmed();
            QVERIFY(html.startsWith(QLatin1String("<html"), Qt::CaseInsensitive));
            QVERIFY(html.endsWith(QLatin1String("</html>"), Qt::CaseInsensitive));
            QVERIFY(html.contains(QLatin1String("<table"), Qt::CaseInsensitive));
        }

        const Rows surveyRows = query(QStringLiteral("Select * From ktSurvey"));
        for (const auto& row : surveyRows.rows) {
            QCOMPARE(row[surveyRows.column(QStringLiteral("SType"))].toString(), QStringLiteral("R"));
            QCOMPARE(row[surveyRows.column(QStringLiteral("SCount"))].toInt(), 10);
            QVERIFY(row[surveyRows.column(QStringLiteral("SLink"))].toString().startsWith(
                QLatin1String("https://www.example.com/")));
            QSet<QString> questions;
            for (int q = 1; q <= 10; ++q)
                questions.insert(row[surveyRows.column(QStringLiteral("SQuery%1").arg(q))].toString().trimmed());
            questions.remove(QString());
            QCOMPARE(questions.size(), 10); // ten different, non-empty questions
        }

        const QSet<qint64> surveyIds = ids(QStringLiteral("ktSurvey"));
        const Rows results = query(QStringLiteral("Select * From ktSUpdate"));
        QVERIFY(results.rows.size() >= 8);
        QSet<qint64> answered;
        for (const auto& row : results.rows) {
            answered.insert(row[results.column(QStringLiteral("SSurveyId"))].toLongLong());
            for (int a = 1; a <= 10; ++a) {
                bool ok = false;
                const int rating = row[results.column(QStringLiteral("SAnswer%1").arg(a))].toInt(&ok);
                QVERIFY(ok && rating >= 0 && rating <= 10);
            }
        }
        QCOMPARE(answered, surveyIds); // both surveys have answers to analyse
    }

    void campaignsFindRecipients()
    {
        const QSet<qint64> types = ids(QStringLiteral("kmCustType"));
        const struct { const char* table; const char* content; const char* letter; } campaigns[] = {
            {"ktSNews", "ktNews", "S"}, {"ktMLead", "ktLead", "M"}, {"ktESurvey", "ktSurvey", "E"}};
        for (const auto& c : campaigns) {
            const QString l = QString::fromLatin1(c.letter);
            const Rows rows = query(QStringLiteral("Select * From ") + QString::fromLatin1(c.table));
            QCOMPARE(rows.rows.size(), 1);
            const auto& row = rows.rows.first();
            QVERIFY(ids(QString::fromLatin1(c.content)).contains(row[2].toLongLong()));
            const qint64 type = row[rows.column(l + QStringLiteral("CType"))].toLongLong();
            QVERIFY(types.contains(type));
            QVERIFY(row[rows.column(l + QStringLiteral("SentDate"))].isValid());

            // The recipient query of a run, exactly as the campaign screen builds it.
            const QString criteria = row[rows.column(l + QStringLiteral("Criteria"))].toString();
            QVERIFY(criteria.startsWith(QLatin1String(" ( ")) && criteria.endsWith(QLatin1String(" )")));
            const Rows recipients = query(QStringLiteral("Select * From ktCustomer Where CType= %1 And %2")
                                              .arg(type)
                                              .arg(criteria));
            QVERIFY2(!recipients.rows.isEmpty(), qPrintable(QString::fromLatin1(c.table) + criteria));
        }
    }
};

QTEST_MAIN(TestDemoData)
#include "tst_demodata.moc"

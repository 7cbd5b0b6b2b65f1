// The demo content: enough customers in enough countries for reports and campaigns, and every record
// complete enough that the record screens can show and save it unchanged (every field is required).
#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"
#include "platform/Recordset.h"
#include "base/ProgramState.h"
#include "base/Schema.h"

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

class TestDemoData : public QObject {
    Q_OBJECT
    const TestDataFolder folder{TestDataFolder::Options{.content = DemoData::fill}};
    ScriptedMessages messages;

private slots:
    void customersTypesAndReferences()
    {
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
    }

    void noFieldIsBlank()
    {
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
    }

    void surveysAndNewsletters()
    {
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

QTEST_MAIN(TestDemoData)
#include "tst_demodata.moc"

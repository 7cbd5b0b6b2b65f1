// The module catalogue: each module's one description agrees with its table.
#include "common/TestSupport.h"
#include "base/ModuleCatalogue.h"
#include "base/ProgramState.h"
#include "platform/Recordset.h"

#include <QtTest>

class CatalogueTest : public QObject {
    Q_OBJECT
private slots:
    // Every record screen binds box i to column i: the table has exactly its fields, each field
    // knows its column, and a text column is as wide as its box.
    void fieldsMatchTheirTables()
    {
        TestDataFolder folder;
        for (const ModuleDef& m : ModuleCatalogue::modules()) {
            Recordset r;
            r.open("Select * From " + m.table + " Where 1=2", *state().connection, CursorType::Static,
                   LockType::ReadOnly);
            QCOMPARE(r.fieldCount(), m.fieldCount + 1);
            QCOMPARE(r.field(0).name(), QString("EId"));
            QCOMPARE(r.field(1).type(), FieldType::Date);
            for (int i = 0; i <= m.fieldCount; ++i) {
                QCOMPARE(m.fields.at(i).column, r.field(i).name());
                QCOMPARE(m.indexOf(r.field(i).name()), i);
                if (r.field(i).type() == FieldType::VarChar && i >= 2)
                    QVERIFY2(r.field(i).definedSize() == m.fields.at(i).maxLength,
                             qPrintable(m.table + "." + r.field(i).name()));
            }
        }
    }

    // A master id's name comes from the table its pick list reads, and the statement runs.
    void masterNamesFromPickListSources_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QStringList>("names"); // "index column table" for each master-id field
        QTest::newRow("customers") << "KKCustomer" << QStringList{"18 CCategory kmCustType"};
        QTest::newRow("news") << "KKNews" << QStringList{"2 NCategory kmNewsType"};
        QTest::newRow("send news") << "KKSNews" << QStringList{"2 NReference ktNews", "3 CCategory kmCustType"};
        QTest::newRow("market lead") << "KKMLead" << QStringList{"2 LReference ktLead", "3 CCategory kmCustType"};
        QTest::newRow("email survey") << "KKESurvey" << QStringList{"2 SName ktSurvey", "3 CCategory kmCustType"};
        QTest::newRow("survey updates") << "KKSUpdate" << QStringList{"2 SName ktSurvey"};
        QTest::newRow("users") << "KKUser" << QStringList{};
    }
    void masterNamesFromPickListSources()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, names);
        TestDataFolder folder;
        const ModuleDef* m = ModuleCatalogue::find(screen);
        QVERIFY(m);
        QStringList found;
        for (int i = 0; i <= m->fieldCount; ++i)
            if (const QString sql = m->fields.at(i).masterNameStatement(); !sql.isEmpty()) {
                found << QString("%1: %2").arg(i).arg(sql);
                Recordset r;
                r.open(sql + "1", *state().connection, CursorType::Static, LockType::ReadOnly);
            }
        QStringList expected;
        for (const QString& n : names)
            expected << QString("%1: Select %2 From %3 Where EId=").arg(n.section(' ', 0, 0), n.section(' ', 1, 1), n.section(' ', 2));
        QCOMPARE(found, expected);
    }
};

QTEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"

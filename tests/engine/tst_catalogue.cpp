// The module catalogue: each module's one description agrees with its table and with the menus.
#include "common/TestSupport.h"
#include "engine/ModuleCatalogue.h"
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
        QTest::addColumn<QStringList>("statements"); // "index: statement" for each master-id field
        QTest::newRow("customers") << "KKCustomer" << QStringList{"18: Select CCategory From kmCustType Where EId="};
        QTest::newRow("news") << "KKNews" << QStringList{"2: Select NCategory From kmNewsType Where EId="};
        QTest::newRow("send news") << "KKSNews"
                                   << QStringList{"2: Select NReference From ktNews Where EId=",
                                                  "3: Select CCategory From kmCustType Where EId="};
        QTest::newRow("market lead") << "KKMLead"
                                     << QStringList{"2: Select LReference From ktLead Where EId=",
                                                    "3: Select CCategory From kmCustType Where EId="};
        QTest::newRow("email survey") << "KKESurvey"
                                      << QStringList{"2: Select SName From ktSurvey Where EId=",
                                                     "3: Select CCategory From kmCustType Where EId="};
        QTest::newRow("survey updates") << "KKSUpdate" << QStringList{"2: Select SName From ktSurvey Where EId="};
        QTest::newRow("users") << "KKUser" << QStringList{};
    }
    void masterNamesFromPickListSources()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, statements);
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
        QCOMPARE(found, statements);
    }

    // Each menu entry names one module; the values the main window sets are the module's own.
    void menuEntries()
    {
        QStringList entries;
        for (const ModuleMenuEntry& e : ModuleCatalogue::menuEntries()) {
            const ModuleDef* m = ModuleCatalogue::find(e.screen);
            QVERIFY(m);
            QCOMPARE(e.table, m->table);
            QCOMPARE(e.fieldCount, m->fieldCount);
            QCOMPARE(e.reportNumber, m->reportNumber);
            entries << QString("%1 %2 %3 %4 %5 %6").arg(e.menu).arg(e.position).arg(e.caption, e.screen)
                           .arg(e.fieldCount).arg(e.reportNumber);
        }
        QCOMPARE(entries, (QStringList{
            "Transaction 1 Customers KKCustomer 20 41", "Transaction 2 News KKNews 6 46",
            "Transaction 3 Leads KKLead 5 47", "Transaction 4 Surveys KKSurvey 17 48",
            "Transaction 10 Survey Updates KKSUpdate 13 56", "Transaction 6 Send News KKSNews 6 50",
            "Transaction 7 Market Lead KKMLead 6 51", "Transaction 8 Email Survey KKESurvey 6 52",
            "Master 1 Customer Type KKCustType 3 0", "Master 2 News Type KKNewsType 3 0",
            "Master 4 Suppression List KKSuppression 5 0",
            "Admin 1 Enterprise KKEnterprise 15 0", "Admin 2 Users KKUser 6 0",
            "Admin 4 Preferences KKPreference 16 0", "Admin 6 Customize KKCustomize 13 0"}));
    }
};

QTEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"

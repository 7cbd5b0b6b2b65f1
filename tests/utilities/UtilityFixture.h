#pragma once
#include "common/TestSupport.h"
#include "engine/DataGrid.h"
#include "base/ProgramState.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

// A fresh database with scripted messages, and the customers the data utilities work on.
struct UtilityFixture {
    UtilityFixture() { state().EPasscd = QStringLiteral("Secret"); }

    // One customer per "first|city|country|type" entry, entered on 1 May 2024.
    void addCustomers(const QStringList& rows) const
    {
        folder.exec("BEGIN");
        for (const QString& row : rows) {
            const QStringList v = row.split('|');
            folder.exec(QString("INSERT INTO ktCustomer (EDate, CFirst, CCity, CCountry, CType) "
                                "VALUES ('2024-05-01', '%1', '%2', '%3', %4)")
                            .arg(v[0], v[1], v[2], v[3]));
        }
        folder.exec("COMMIT");
    }
    // The customers' values of one column, in EId order.
    QStringList column(const QString& name) const { return folder.rows("Select " + name + " From ktCustomer Order By EId"); }
    QString errorListing() const { return QString::fromUtf8(fileContents(folder.file("Docs/Korvina.Err"))); }

    static void select(TableBrowser& browser, const QStringList& names)
    {
        for (const QString& name : names) {
            const auto items = browser.fieldList()->findItems(name, Qt::MatchExactly);
            QVERIFY2(!items.isEmpty(), qPrintable(name));
            items.first()->setSelected(true);
        }
    }
    static void criterion(TableBrowser& browser, const QString& column, const QString& op, const QString& value)
    {
        browser.criteriaBox()->setCurrentText(column);
        browser.operatorBox()->setCurrentText(op);
        browser.valueBox()->setText(value);
    }

    TestDataFolder folder;
    ScriptedMessages messages;
};

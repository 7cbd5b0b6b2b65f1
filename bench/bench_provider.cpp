// Fills a fresh encrypted database with N customers the way a record screen saves them,
// then times the reads a module makes. Usage: bench_provider [N] [folder]
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/Recordset.h"
#include "base/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// The text a screen's box would hold for column `name` of customer i.
QString boxText(const QString& name, int definedSize, int i, const QString& date)
{
    if (name == QLatin1String("EDate"))
        return date;
    if (name == QLatin1String("CType"))
        return QString::number(i % 7 + 1);
    if (name == QLatin1String("CActive"))
        return QStringLiteral("Y");
    if (name == QLatin1String("CEmail"))
        return QStringLiteral("customer%1@example.com").arg(i);
    return (name.mid(1) + QLatin1Char(' ') + QString::number(i)).left(definedSize);
}

int run(int count, const QString& folder)
{
    const QString file = folder + QStringLiteral("/Korvina.Kys");
    QFile::remove(file);
    Connection c;
    c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file
                          + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=Bench1"));
    c.open();
    c.beginTrans();
    Schema::createTables(c);
    c.commitTrans();

    // Save as the record screen does it: the row first with its date, then every field.
    const QString date = DateText::format(QDate(2024, 3, 4));
    Recordset list;
    list.open(QStringLiteral("Select EId, EDate From ktCustomer"), c, CursorType::Dynamic, LockType::Optimistic);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        c.beginTrans();
        list.addNew();
        list.field(QStringLiteral("EDate")).setValue(date);
        list.update();
        c.commitTrans();

        Recordset one;
        one.open(QStringLiteral("Select * From ktCustomer Where EId= ") + QString::number(list.currentId()), c,
                 CursorType::Dynamic, LockType::Optimistic);
        c.beginTrans();
        for (int f = 1; f < one.fieldCount(); ++f) {
            Field field = one.field(f);
            field.setValue(boxText(field.name(), field.definedSize(), i, date));
        }
        one.update();
        c.commitTrans();
        one.close();
    }
    const double fill = ms(timer);
    list.close();

    timer.restart();
    list.open(QStringLiteral("Select EId, EDate From ktCustomer"), c, CursorType::Dynamic, LockType::ReadOnly);
    const double openList = ms(timer);
    const int listed = list.recordCount();
    list.close();

    const int reads = 1000;
    timer.restart();
    for (int r = 0; r < reads; ++r) {
        Recordset one;
        one.open(QStringLiteral("Select * From ktCustomer Where EId= ")
                     + QString::number(QRandomGenerator::global()->bounded(count) + 1),
                 c, CursorType::Dynamic, LockType::ReadOnly);
        for (int f = 0; f < one.fieldCount(); ++f)
            one.field(f).text();
    }
    const double readOne = ms(timer) / reads;

    timer.restart();
    Recordset all;
    all.open(QStringLiteral("Select * From ktCustomer"), c, CursorType::Static, LockType::ReadOnly);
    const double openAll = ms(timer);
    qint64 characters = 0;
    for (; !all.eof(); all.moveNext())
        for (int f = 0; f < all.fieldCount(); ++f)
            characters += all.field(f).text().size();
    const double readAll = ms(timer);
    const int whole = all.recordCount();
    all.close();
    c.close();

    std::printf("customers: %d\n", count);
    std::printf("fill (AddNew+Update, then open by EId, set %d fields, Update; 2 commits per row): %.0f ms, %.0f rows/s\n",
                20, fill, count / (fill / 1000.0));
    std::printf("open \"Select EId, EDate From ktCustomer\": %.1f ms (%d rows, %.0f rows/s)\n", openList, listed,
                listed / (openList / 1000.0));
    std::printf("read one record by EId (\"Select * ... Where EId= n\", all fields): %.3f ms\n", readOne);
    std::printf("open \"Select * From ktCustomer\": %.1f ms; with every field read as text: %.1f ms (%d rows, %.0f rows/s)\n",
                openAll, readAll, whole, whole / (readAll / 1000.0));
    std::printf("database file: %.1f MB\n", double(QFileInfo(file).size()) / 1048576.0);
    return characters > 0 ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir().mkpath(folder);
    try {
        return run(count > 0 ? count : 10000, folder);
    } catch (const AppError& e) {
        std::fprintf(stderr, "error %d (%s): %s\n", e.number(), qPrintable(e.source()), qPrintable(e.description()));
        return 2;
    }
}

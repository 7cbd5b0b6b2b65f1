// The server backend next to psql on a PostgreSQL server of its own (127.0.0.1, a new
// cluster in a temporary folder): N customers saved one transaction each through the
// program's record sets, and by the Customers screen's Add and Save; the same rows through
// psql, one transaction each, in the same run; then the Customers screen opened over a table
// of LIST customers. Usage: bench_server [N] [LIST] [durable]
// ("durable": the server runs with fsync on, so every commit waits for the disk).
#include "common/PgTestServer.h"

#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/Recordset.h"
#include "shell/DatabaseCreator.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// Messages go to the terminal and every question is answered yes; errors are counted.
double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// The processor time this program has used, in ms: what a measure spent here rather than
// waiting for the server.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Taken {
    double ms = 0;
    double cpu = 0;
};

// Times f: the clock and this program's processor time.
template <class F>
Taken timed(F&& f)
{
    const double cpu = cpuMs();
    QElapsedTimer timer;
    timer.start();
    f();
    return {ms(timer), cpuMs() - cpu};
}

const QDate kDate(2024, 3, 4);

struct Column {
    QString name;
    int type;
    int size;
};

// The columns of ktCustomer after EId, as the program reads them.
QVector<Column> customerColumns(Connection& c)
{
    Recordset rs;
    rs.open(QStringLiteral("Select * From ktCustomer Where EId= 0"), c, CursorType::Static, LockType::ReadOnly);
    QVector<Column> columns;
    for (int f = 1; f < rs.fieldCount(); ++f)
        columns.push_back({rs.field(f).name(), rs.field(f).type(), rs.field(f).definedSize()});
    return columns;
}

// The text a screen's box holds for a column of customer i.
QString boxText(const Column& c, int i)
{
    if (c.type == FieldType::Date)
        return DateText::format(kDate);
    if (c.name == QLatin1String("CType"))
        return QString::number(i % 7 + 1);
    if (c.name == QLatin1String("CActive"))
        return QStringLiteral("Y");
    if (c.name == QLatin1String("CEmail"))
        return QStringLiteral("customer%1@example.com").arg(i);
    return (c.name.mid(1) + QLatin1Char(' ') + QString::number(i)).left(c.size);
}

// The same value as an SQL literal for psql.
QString literal(const Column& c, int i)
{
    if (c.type == FieldType::Date)
        return QStringLiteral("'%1'").arg(kDate.toString(Qt::ISODate));
    if (c.type == FieldType::Integer)
        return boxText(c, i);
    return QLatin1Char('\'') + boxText(c, i).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString columnList(const QVector<Column>& columns)
{
    QStringList names;
    for (const Column& c : columns)
        names << quoted(c.name);
    return names.join(QStringLiteral(", "));
}

// One transaction a row through a record set on the table, as the import writes its rows.
Taken insertThroughRecordset(Connection& c, const QVector<Column>& columns, int first, int count)
{
    Recordset target;
    target.open(QStringLiteral("Select * From ktCustomer"), c, CursorType::Dynamic, LockType::Optimistic);
    return timed([&] {
        for (int i = first; i < first + count; ++i) {
            c.beginTrans();
            target.addNew();
            for (int f = 0; f < columns.size(); ++f)
                target.field(f + 1).setValue(boxText(columns[f], i));
            target.update();
            c.commitTrans();
        }
    });
}

// Add, the boxes filled, Save on the Customers screen: what a person's new record costs.
Taken saveThroughScreen(const QVector<Column>& columns, int first, int count)
{
    RecordEngine engine;
    RecordScreen* screen = engine.open(QStringLiteral("KKCustomer"));
    if (!screen)
        qFatal("the Customers screen did not open");
    const Taken taken = timed([&] {
        for (int i = first; i < first + count; ++i) {
            Engine::RunOperation(Operation::Add);
            for (int f = 0; f < columns.size() && f < screen->fieldCount(); ++f)
                screen->setText(f + 1, boxText(columns[f], i));
            Engine::RunOperation(Operation::Save);
        }
    });
    screen->close();
    QApplication::processEvents();
    return taken;
}

// The same rows through psql, one BEGIN; INSERT; COMMIT a row, from a script file.
double insertThroughPsql(const PgTestServer& server, const QString& url, const QVector<Column>& columns, int first,
                         int count, const QString& folder)
{
    const QString path = folder + QStringLiteral("/rows.sql");
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    const QString head = QStringLiteral("INSERT INTO \"ktCustomer\" (%1) VALUES (").arg(columnList(columns));
    for (int i = first; i < first + count; ++i) {
        QStringList values;
        for (const Column& c : columns)
            values << literal(c, i);
        script.write(QStringLiteral("BEGIN;\n%1%2);\nCOMMIT;\n").arg(head, values.join(QStringLiteral(", "))).toUtf8());
    }
    script.close();
    QProcess psql;
    psql.setProcessChannelMode(QProcess::MergedChannels);
    const double taken = timed([&] {
        psql.start(server.binFolder() + QStringLiteral("/psql"),
                   {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                    QStringLiteral("-f"), path, url});
        psql.waitForFinished(-1);
    }).ms;
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
        qFatal("psql failed: %s", psql.readAll().constData());
    return taken;
}

// More customers up to `total`, put in by the server in one statement.
void fillTo(const PgTestServer& server, const QString& database, const QVector<Column>& columns, int total)
{
    QStringList values;
    for (const Column& c : columns) {
        if (c.type == FieldType::Date)
            values << QStringLiteral("date '%1'").arg(kDate.toString(Qt::ISODate));
        else if (c.name == QLatin1String("CType"))
            values << QStringLiteral("g % 7 + 1");
        else if (c.name == QLatin1String("CActive"))
            values << QStringLiteral("'Y'");
        else if (c.name == QLatin1String("CEmail"))
            values << QStringLiteral("'customer' || g || '@example.com'");
        else
            values << QStringLiteral("left('%1 ' || g, %2)").arg(c.name.mid(1)).arg(c.size);
    }
    const QString present = server.psql(database, QStringLiteral("SELECT count(*) FROM \"ktCustomer\""));
    const QString sql = QStringLiteral("INSERT INTO \"ktCustomer\" (%1) SELECT %2 FROM generate_series(%3, %4) g")
                            .arg(columnList(columns), values.join(QStringLiteral(", ")))
                            .arg(present.toInt())
                            .arg(total - 1);
    const QString out = server.psql(database, sql);
    if (out.startsWith(QLatin1String("psql failed")))
        qFatal("%s", qPrintable(out));
    server.psql(database, QStringLiteral("VACUUM ANALYZE \"ktCustomer\""));
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

QString joined(const QVector<double>& v)
{
    QStringList s;
    for (double d : v)
        s << QString::number(d, 'f', 1);
    return s.join(QStringLiteral(" "));
}

int run(int count, int listed, bool durable)
{
    PgTestServer server;
    server.setDurable(durable);
    if (!server.start())
        qFatal("cannot start the server: %s", qPrintable(server.why()));
    const QString url = server.createDatabase();
    const QString database = QUrl(url).path().mid(1);

    // A new installation on the server, as `korvina --database URL --init` makes it.
    QTemporaryDir folder;
    ProgramState programState;
    ProgramState& s = state();
    s.DataFolder = folder.path();
    s.DatabaseUrl = url;
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, false);
    Connection& c = *s.connection;
    c.open();
    s.LoginId = QStringLiteral("Chief");
    LoadCustomization();
    BenchMessages messages(BenchMessages::Print::Errors);
    s.setMessages(&messages);
    const QVector<Column> columns = customerColumns(c);

    std::printf("server: PostgreSQL on 127.0.0.1, fsync %s, synchronous_commit %s\n",
                qPrintable(server.psql(database, QStringLiteral("SHOW fsync"))),
                qPrintable(server.psql(database, QStringLiteral("SHOW synchronous_commit"))));
    // psql first, then the program, then psql again: the mean of the two psql runs is the
    // yardstick, so that a busy moment of the machine does not favour one side.
    const double psqlBefore = insertThroughPsql(server, url, columns, 0, count, folder.path());
    const Taken recordset = insertThroughRecordset(c, columns, count, count);
    const Taken screen = saveThroughScreen(columns, 2 * count, count);
    const double psqlAfter = insertThroughPsql(server, url, columns, 3 * count, count, folder.path());
    const double psql = (psqlBefore + psqlAfter) / 2;
    auto line = [&](const char* what, Taken taken) {
        std::printf("%-58s %9.0f ms %7.0f rows/s  %.2f x psql (processor here %.0f ms)\n", what, taken.ms,
                    count / (taken.ms / 1000), taken.ms / psql, taken.cpu);
    };
    std::printf("customers inserted by each: %d, one transaction a row\n", count);
    std::printf("%-58s %9.0f ms (before %.0f, after %.0f)\n", "psql -f, BEGIN; INSERT; COMMIT; a row (mean)", psql,
                psqlBefore, psqlAfter);
    line("record set: AddNew, 20 fields, Update, commit", recordset);
    line("Customers screen: Add, 20 boxes, Save (2 commits a row)", screen);

    fillTo(server, database, columns, listed);
    const QString total = server.psql(database, QStringLiteral("SELECT count(*) FROM \"ktCustomer\""));
    const QString last = server.psql(database, QStringLiteral("SELECT max(\"EId\") FROM \"ktCustomer\""));
    QVector<double> lists, listCpu, screens;
    for (int round = 0; round < 5; ++round) {
        Recordset list;
        const Taken read = timed([&] {
            list.open(QStringLiteral("Select EId, EDate From ktCustomer"), c, CursorType::Dynamic, LockType::Optimistic);
        });
        lists << read.ms;
        listCpu << read.cpu;
        list.close();

        RecordEngine engine;
        RecordScreen* opened = nullptr;
        screens << timed([&] {
                       opened = engine.open(QStringLiteral("KKCustomer"));
                       QApplication::processEvents();
                   }).ms;
        if (!opened || opened->text(0).trimmed() != last)
            qFatal("the Customers screen did not show the last customer");
        opened->close();
        QApplication::processEvents();
    }
    std::printf("customers in the table: %s\n", qPrintable(total));
    std::printf("%-58s %9.1f ms median (%s; processor here %.1f)\n", "record set \"Select EId, EDate From ktCustomer\"",
                median(lists), qPrintable(joined(lists)), median(listCpu));
    std::printf("%-58s %9.1f ms median (%s)\n", "Customers screen opened on its last customer", median(screens),
                qPrintable(joined(screens)));

    c.close();
    s.setMessages(nullptr);
    if (messages.errors > 0) {
        QFile listing(s.ErrorListing);
        if (listing.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s", listing.readAll().constData());
        return 1;
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QStringList arguments = app.arguments();
    const int count = arguments.size() > 1 ? arguments[1].toInt() : 10000;
    const int listed = arguments.size() > 2 ? arguments[2].toInt() : 100000;
    const bool durable = arguments.contains(QStringLiteral("durable"));
    try {
        return run(count > 0 ? count : 10000, listed > 0 ? listed : 100000, durable);
    } catch (const AppError& e) {
        std::fprintf(stderr, "error %d (%s): %s\n", e.number(), qPrintable(e.source()), qPrintable(e.description()));
        return 2;
    }
}

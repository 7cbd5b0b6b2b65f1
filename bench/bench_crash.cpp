// The program's own steps, one per mode, for the crash trials (bench/crash_trials.sh), which
// kill this process at random moments and then check what is left:
//   bench_crash start DIR        the start-up up to the log-in: maintenance, open, read the users;
//                                exit 0 when the program would reach the log-in, 1 when refused
//   bench_crash fill DIR ROWS    adds ROWS customers in one transaction (a large database)
//   bench_crash save DIR COUNT   saves COUNT customer types through the record engine (Add, Save)
//                                and prints "committed <id>" once each Save has returned
//   bench_crash key DIR          prints the database password (for the sqlcipher command line)
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/Recordset.h"
#include "shell/Maintenance.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {
int start()
{
    ProgramState& s = state();
    if (!Maintenance().run())
        return 1;
    bool ok = Guard([&] { s.connection->open(); });
    ok = ok && Guard([&] {
        Recordset users;
        users.open(QStringLiteral("kaUser"), *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        if (users.eof())
            throw AppError(DbErrors::General, QStringLiteral("bench"), QStringLiteral("no users"));
    });
    return ok ? 0 : 1;
}

int fill(int rows)
{
    Connection& c = *state().connection;
    c.open();
    c.beginTrans();
    for (int i = 0; i < rows; ++i)
        c.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast, CCompany, CAddr1, CCity, "
                                 "CCountry, CEmail, CRemarks) VALUES ('2024-03-04', 'Mr', 'First%1', 'Last%1', "
                                 "'Company %1 Limited', '%1 Long Street', 'Bristol', 'United Kingdom', "
                                 "'person%1@example.com', 'Bench')")
                      .arg(i));
    c.commitTrans();
    c.close();
    return 0;
}

int save(int count, BenchMessages& messages)
{
    state().connection->open();
    RecordEngine engine;
    RecordScreen* screen = engine.open(QStringLiteral("KKCustType"));
    if (!screen)
        return 2;
    for (int i = 0; i < count; ++i) {
        Engine::RunOperation(Operation::Add);
        screen->setText(2, QStringLiteral("Type %1").arg(i));
        screen->setText(3, QStringLiteral("Saved by the crash trial"));
        const int before = messages.errors;
        Engine::RunOperation(Operation::Save);
        if (messages.errors != before)
            return 1;
        std::printf("committed %s\n", qPrintable(screen->text(0).trimmed()));
        std::fflush(stdout);
    }
    return 0;
}
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_crash start|fill|save DIR [N]\n");
        return 2;
    }
    ProgramState programState;
    BenchMessages messages(BenchMessages::Print::Everything, true);
    programState.setMessages(&messages);
    programState.DataFolder = QDir(args.at(2)).absolutePath();
    InitProgramState();
    const int n = args.value(3).toInt();
    if (args.at(1) == QLatin1String("start"))
        return start();
    if (args.at(1) == QLatin1String("fill"))
        return fill(n);
    if (args.at(1) == QLatin1String("save"))
        return save(n, messages);
    if (args.at(1) == QLatin1String("key")) {
        std::printf("%s\n", qPrintable(programState.databasePassword()));
        return 0;
    }
    return 2;
}

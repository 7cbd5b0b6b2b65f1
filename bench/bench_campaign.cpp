// A newsletter campaign to N customers through the SMTP transport, against a local server
// that discards what it receives, next to Python's smtplib sending the same composed
// messages over one connection to the same server. With a rate (messages per minute, the
// preference of the same name) the run is paced instead: it prints the time against the
// expected N / rate minutes and the resident memory sampled at every message, and sends no
// smtplib comparison.
//
//   bench_campaign [N=5000] [RATE]
#include "campaigns/CampaignLetter.h"
#include "campaigns/CampaignRun.h"
#include "platform/MailComposer.h"
#include "base/Messages.h"
#include "shell/DatabaseCreator.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
const QString sourceDir = QStringLiteral(KORVINA_SOURCE_DIR);

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// The discarding SMTP server of the tests, on a free port of 127.0.0.1.
int startServer(QProcess& server)
{
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-W"), QStringLiteral("ignore"), sourceDir + QStringLiteral("/tests/common/mailserver.py")});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        server.waitForReadyRead(200);
        const QByteArray line = server.readLine().trimmed();
        if (line.startsWith("PORT "))
            return line.mid(5).toInt();
    }
    return 0;
}

// The messages the run's delivery log records as sent.
int loggedSent(const QString& dataFolder)
{
    QFile log(QDir(dataFolder + QStringLiteral("/Docs/Sent")).entryInfoList({QStringLiteral("*.log")}).value(0).filePath());
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return int(log.readAll().count("\tsent\n"));
}

// Resident memory over a run: before, a tenth and half-way through, after, and the highest
// sample between (one at every message).
struct MemorySamples {
    long before = 0;
    long tenth = 0;
    long half = 0;
    long after = 0;
    long peak = 0;

    void sample(long kb) { peak = std::max(peak, kb); }
};
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 0;
    QTemporaryDir dir;
    ProgramState programState;
    ProgramState& s = state();
    BenchMessages silent(BenchMessages::Print::Errors);
    s.setMessages(&silent);
    s.DataFolder = dir.path();
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, false);
    s.connection->open();
    s.connection->execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2026-01-01', 'Retail', '')"));
    s.connection->execute(QStringLiteral(
        "INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage, NRemarks) VALUES ('2026-12-04', 1, 'Dec', "
        "'December offers', 'Dear <<CFirst>> <<CLast>>,\n\nour December offers for <<CCity>> are here.\n"
        "Best regards\nKorvina', '')"));
    s.connection->beginTrans();
    // Every field filled, as the customer screen saves them: a Null field is an error of the run.
    for (int i = 0; i < n; ++i)
        s.connection->execute(
            QStringLiteral("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast, CCompany, CAddr1, CAddr2, CCity, CState, "
                           "CCountry, CZipCode, CTelOff, CTelHome, CTelMob, CFax, CEmail, CWebsite, CType, CActive, CRemarks) "
                           "VALUES ('2026-02-03', 'Ms', 'First%1', 'Last%1', 'Firm %1', 'Street %1', '', 'Pune', 'MH', "
                           "'India', '411001', '', '', '', '', 'c%1@example.com', '', 1, 'Y', '')")
                .arg(i));
    s.connection->commitTrans();

    QProcess server;
    const int port = startServer(server);
    if (!port) {
        std::fprintf(stderr, "the SMTP server did not start\n");
        return 1;
    }
    s.PMailType = QStringLiteral("S");
    s.PMailFoot = QStringLiteral("Y");
    s.PSmtpSrvr = QStringLiteral("127.0.0.1");
    s.PSmtpPort = QString::number(port);
    s.PSmtpFrom = QStringLiteral("news@korvina.test");
    s.PSmtpUser.clear(); // the local server asks for no log-in and offers no encryption
    s.PRateLimit = QString::number(rate);

    // The campaign, as the screen runs it.
    CampaignRun run({&CampaignFamily::of(CampaignKind::News), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"),
                     QStringLiteral(" ( 1=1 )")});
    MemorySamples memory;
    memory.before = residentKb();
    memory.sample(memory.before);
    QObject::connect(&run, &CampaignRun::progressChanged, [&](int done, int total) {
        const long kb = residentKb();
        memory.sample(kb);
        if (done == total / 10)
            memory.tenth = kb;
        if (done == total / 2)
            memory.half = kb;
    });
    QElapsedTimer clock;
    clock.start();
    bool over = false;
    QObject::connect(&run, &CampaignRun::finished, [&] { over = true; });
    run.start();
    while (!over)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double runSeconds = double(clock.elapsed()) / 1000.0;
    memory.after = residentKb();
    memory.sample(memory.after);
    if (rate > 0) {
        const double expected = n * 60.0 / rate;
        std::printf("messages: %d at %d per minute (sent per the delivery log: %d)\n", n, rate, loggedSent(s.DataFolder));
        std::printf("campaign run: %.2f s, expected %.2f s, %+.2f %%\n", runSeconds, expected,
                    (runSeconds - expected) * 100.0 / expected);
        std::printf("resident memory: before %ld kB, a tenth %ld kB, half-way %ld kB, after %ld kB, peak %ld kB\n",
                    memory.before, memory.tenth, memory.half, memory.after, memory.peak);
        std::printf("boxes showing a failure: %d\n", silent.errors);
        server.closeWriteChannel();
        server.waitForFinished(5000);
        s.connection->close();
        s.setMessages(nullptr);
        return 0;
    }

    // The same messages, composed once more and handed to smtplib.
    QTemporaryDir composed;
    MailComposer composer;
    Recordset customers;
    customers.open(QStringLiteral("Select * From ktCustomer"), *s.connection, CursorType::Static, LockType::ReadOnly);
    Recordset news;
    news.open(QStringLiteral("Select * From ktNews Where EId= 1"), *s.connection, CursorType::Static, LockType::ReadOnly);
    for (int i = 0; !customers.eof(); ++i, customers.moveNext()) {
        MailMessage m;
        m.recipient = customers.field(QStringLiteral("CFirst")).text() + QLatin1Char('<')
                      + customers.field(QStringLiteral("CEmail")).text() + QLatin1Char('>');
        m.subject = news.field(QStringLiteral("NSubject")).text();
        m.body = CampaignLetter::mergeTags(news.field(QStringLiteral("NMessage")).text(), customers, nullptr)
                 + CampaignLetter::trackingFooter(QStringLiteral("MgNews:"), news.field(QStringLiteral("EDate")).text(),
                                                  QStringLiteral("1"));
        m.sender = s.PSmtpFrom;
        const MailComposer::Composed c = composer.compose(m, QDateTime::currentDateTime(), MailComposer::LineEnd::CrLf);
        QFile file(composed.filePath(QStringLiteral("%1.eml").arg(i, 6, 10, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly);
        file.write(c.recipient + '\n' + c.data);
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {sourceDir + QStringLiteral("/bench/smtplib_send.py"), QString::number(port), composed.path()});
    python.waitForFinished(-1);
    const QList<QByteArray> said = python.readAllStandardOutput().trimmed().split(' ');
    const double pySeconds = said.value(2).toDouble();

    const int logged = loggedSent(s.DataFolder);

    std::printf("messages: %d (sent per the delivery log: %d)\n", n, logged);
    std::printf("campaign run: %.2f s, %.0f messages/s\n", runSeconds, n / runSeconds);
    std::printf("smtplib:      %.2f s, %.0f messages/s (%s messages)\n", pySeconds, n / pySeconds, said.value(1).constData());
    std::printf("ratio (run / smtplib messages per second): %.2f\n", pySeconds / runSeconds);
    std::printf("resident memory: before %ld kB, half-way %ld kB, after %ld kB, peak %ld kB\n", memory.before, memory.half,
                memory.after, memory.peak);
    std::printf("boxes showing a failure: %d\n", silent.errors);

    server.closeWriteChannel();
    server.waitForFinished(5000);
    customers.close();
    news.close();
    s.connection->close();
    s.setMessages(nullptr);
    return 0;
}

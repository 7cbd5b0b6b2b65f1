// Opens the Leads screen twice on a demo installation and reports how long each opening takes
// until the lead is shown, and the memory the web engine adds (this process and its helpers).
// Usage: bench_leadscreen
#include "content/LeadView.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/Connection.h"
#include "base/Messages.h"
#include "shell/DatabaseCreator.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {
// Messages go to the terminal: nothing waits for an answer.
// Resident memory in KiB of a process and, recursively, of the processes it started.
long residentKiB(const QString& pid)
{
    long kib = 0;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        const QRegularExpression rss(QStringLiteral(R"(VmRSS:\s+(\d+))"));
        kib = rss.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
    }
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid, task));
        if (children.open(QIODevice::ReadOnly))
            for (const QByteArray& child : children.readAll().split(' '))
                if (!child.trimmed().isEmpty())
                    kib += residentKiB(QString::fromLatin1(child.trimmed()));
    }
    return kib;
}

long residentNow() { return residentKiB(QString::number(::getpid())); }

// Opens the Leads screen and waits until its lead is shown; returns the milliseconds taken.
double openLeads(RecordEngine& engine)
{
    QElapsedTimer clock;
    clock.start();
    RecordScreen* screen = engine.open(QStringLiteral("KKLead"));
    auto* view = screen ? screen->findChild<LeadView*>() : nullptr;
    if (!view || !view->waitForLoad())
        qFatal("the Leads screen did not show its lead");
    return double(clock.nsecsElapsed()) / 1e6;
}
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    ProgramState programState;
    ProgramState& s = state();
    s.DataFolder = folder.path();
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, true);
    s.connection->open();
    s.LoginId = QStringLiteral("Chief");
    LoadCustomization();
    BenchMessages messages(BenchMessages::Print::Everything);
    s.setMessages(&messages);

    const long before = residentNow();
    std::printf("program before any lead screen: %ld MiB\n", before / 1024);
    double times[3];
    {
        RecordEngine engine;
        for (double& t : times) {
            t = openLeads(engine);
            Engine::activeScreen()->close();
            QApplication::processEvents();
        }
        std::printf("first opening %.0f ms, second %.0f ms, third %.0f ms\n", times[0], times[1], times[2]);
        openLeads(engine);
        std::printf("memory added with the screen open: %ld MiB (program and engine processes)\n",
                    (residentNow() - before) / 1024);
        Engine::activeScreen()->close();
    }
    QApplication::processEvents();
    QFile errors(s.ErrorListing);
    if (errors.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "%s", errors.readAll().constData());
    s.connection->close();
    s.setMessages(nullptr);
    return 0;
}

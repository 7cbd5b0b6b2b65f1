#include "ProgramProcess.h"

#include <QProcess>

ProcessRun runProcess(const QString& program, const QStringList& args, const QProcessEnvironment& environment,
                      int timeoutMs)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    ProcessRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r.code = p.exitCode();
    }
    r.output = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.errors = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString korvinaBinary() { return qEnvironmentVariable("KORVINA_BINARY"); }

ProcessRun runKorvina(const QStringList& args, const QProcessEnvironment& environment)
{
    return runProcess(korvinaBinary(), args, environment);
}

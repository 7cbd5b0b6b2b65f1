#include "VirtualDisplay.h"

#include "ProgramProcess.h"

#include <QElapsedTimer>
#include <QThread>

VirtualDisplay::VirtualDisplay()
{
    // The server picks a free display itself and writes its number once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                            QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                            QStringLiteral("1024x768x24")});
    if (!m_server.waitForStarted())
        return;
    QByteArray number;
    while (!number.endsWith('\n') && m_server.waitForReadyRead(10000))
        number += m_server.readAllStandardOutput();
    if (!number.trimmed().isEmpty())
        m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
}

VirtualDisplay::~VirtualDisplay()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000)) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

QProcessEnvironment VirtualDisplay::environment() const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("DISPLAY"), m_name);
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return e;
}

bool VirtualDisplay::pressKey(qint64 pid, const QString& title, const QString& key, int timeoutMs)
{
    const QProcessEnvironment e = environment();
    const QString pattern = QLatin1Char('^') + title + QLatin1Char('$');
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const ProcessRun found = runProcess(QStringLiteral("xdotool"),
                                            {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                             QString::number(pid), QStringLiteral("--name"), pattern},
                                            e, 10000);
        const QString window = found.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
        if (!window.isEmpty())
            return runProcess(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                                                          QStringLiteral("key"), key},
                              e, 10000)
                       .code
                   == 0;
        QThread::msleep(100);
    }
    return false;
}

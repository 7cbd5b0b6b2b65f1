#include "VirtualDisplay.h"

#include "ProgramProcess.h"

#include <QElapsedTimer>
#include <QThread>

VirtualDisplay::VirtualDisplay()
{
    // The server picks a free display itself and writes its number once it accepts clients;
    // it never resets, so a client that connects as the last one leaves is not turned away.
    m_server.start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -nolisten tcp -noreset -screen 0 1024x768x24").split(QLatin1Char(' ')));
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
        QStringList search = QStringLiteral("search --all --onlyvisible --pid %1 --name").arg(pid).split(QLatin1Char(' '));
        const QString window = runProcess(QStringLiteral("xdotool"), search << pattern, e, 10000).output.section(QLatin1Char('\n'), 0, 0);
        if (!window.isEmpty()) {
            const QStringList press{QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"), key};
            return runProcess(QStringLiteral("xdotool"), press, e, 10000).code == 0;
        }
        QThread::msleep(100);
    }
    return false;
}

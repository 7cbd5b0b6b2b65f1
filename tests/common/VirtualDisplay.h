#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// An X server of the test's own (Xvfb, no network) on which the program shows real windows,
// and keys pressed on them through xdotool as a user would.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    QString name() const { return m_name; } // ":N"
    // The environment in which a program draws on this display.
    QProcessEnvironment environment() const;

    // Waits until the process shows a window with this exact title, gives it the keyboard
    // focus and presses the key (an xdotool key name such as "Return"). False when no such
    // window came within the time.
    bool pressKey(qint64 pid, const QString& title, const QString& key, int timeoutMs = 60000);

private:
    QProcess m_server;
    QString m_name;
};

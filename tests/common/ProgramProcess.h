#pragma once
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A program run to its end from a test, with what it printed.
struct ProcessRun {
    int code = -1;   // -1: it crashed or did not end in time
    QString output;  // standard output
    QString errors;  // standard error
    QString text() const { return output + errors; }
};

ProcessRun runProcess(const QString& program, const QStringList& args,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 120000);

// The program under test (the build's korvina, named by KORVINA_BINARY).
QString korvinaBinary();
ProcessRun runKorvina(const QStringList& args,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

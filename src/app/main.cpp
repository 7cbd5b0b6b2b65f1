#include "app/Application.h"
#include "app/CommandLine.h"
#include "content/PictureScheme.h"

#include <QApplication>
#include <QIcon>

#include <sys/prctl.h>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    // The database key and passwords live in this process's memory: no core dump may carry them.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::prctl(PR_SET_DUMPABLE, 0);
    // Screen readers reach every screen through the platform's accessibility bridge.
    if (qEnvironmentVariableIsEmpty("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    const QStringList arguments = CommandLine::capture(argc, argv);
    // Creating a data folder, copying a database or printing help needs no screen.
    if (CommandLine::runsWithoutScreen(arguments) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The lead editor's web engine shares its graphics contexts with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // It shows the letters' pictures at their cid: addresses, a scheme it learns before it starts.
    PictureScheme::registerScheme();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvina"));
    QApplication::setApplicationVersion(QStringLiteral(KORVINA_VERSION));
    // Every window carries the program's icon; the desktop entry ties the running program to its menu item.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.korvina.Korvina.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvina.Korvina"));

    Application application;
    CommandLine commandLine;
    if (const std::optional<ExitCode> code = commandLine.run(arguments))
        return int(*code);

    // The one way out: a start that ends before the main window returns its code here, and
    // so does the main window when it closes.
    if (!application.start())
        return int(application.exitCode());
    return QApplication::exec();
}

#include "app/Application.h"
#include "shell/DatabaseCreator.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
int fail(const QString& message, ExitCode code)
{
    std::fprintf(stderr, "korvina: %s\n", qPrintable(message));
    return int(code);
}
}

int main(int argc, char** argv)
{
    // Screen readers reach every screen through the platform's accessibility bridge.
    if (qEnvironmentVariableIsEmpty("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    // Creating a data folder or printing help needs no screen: run those without one.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if ((arg == "--init" || arg == "--help" || arg == "-h" || arg == "--version" || arg == "-v")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The lead editor's web engine shares its graphics contexts with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvina"));
    QApplication::setApplicationVersion(QStringLiteral("8.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Korvina: customers, newsletters, leads, surveys and campaigns."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("The DataFolder (default: the program's own folder)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption init(QStringLiteral("init"),
                                  QStringLiteral("Create the folder layout and a new database, then exit."));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("With --init: add demo content."));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Use a shared server database (postgresql:// URL)."),
                                      QStringLiteral("URL"));
    parser.addOptions({data, init, demo, database});
    if (!parser.parse(QApplication::arguments()))
        return fail(parser.errorText() + QStringLiteral("\n\n") + parser.helpText(), ExitCode::Usage);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return int(ExitCode::Success);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("Korvina %s\n", qPrintable(QApplication::applicationVersion()));
        return int(ExitCode::Success);
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'\n\n").arg(parser.positionalArguments().first())
                        + parser.helpText(), ExitCode::Usage);
    if (parser.isSet(demo) && !parser.isSet(init))
        return fail(QStringLiteral("--demo goes with --init\n\n") + parser.helpText(), ExitCode::Usage);
    if (parser.isSet(database) && !parser.value(database).startsWith(QLatin1String("postgresql://")))
        return fail(QStringLiteral("--database takes a postgresql:// URL"), ExitCode::Usage);
    if (parser.isSet(database))
        return fail(QStringLiteral("the shared PostgreSQL database is not available in this version"), ExitCode::Usage);

    Application application;
    ProgramState& s = application.state();
    const QString folder = parser.isSet(data) ? parser.value(data) : QApplication::applicationDirPath();
    s.DataFolder = QDir::cleanPath(QDir(folder).absolutePath());
    s.DatabaseUrl = parser.value(database);

    if (parser.isSet(init)) {
        InitProgramState();
        try {
            DatabaseCreator::createInstallation(s.DataFolder, parser.isSet(demo));
        } catch (const AppError& e) {
            return fail(e.description(), ExitCode::Failure);
        }
        std::printf("Created a new Korvina data folder in %s%s.\n", qPrintable(s.DataFolder),
                    parser.isSet(demo) ? " with demo content" : "");
        return int(ExitCode::Success);
    }
    // A compacted copy without the database is the remains of an interrupted compaction: the
    // start-up maintenance puts it back.
    if (s.DatabaseUrl.isEmpty() && !QFileInfo::exists(s.DataFolder + QStringLiteral("/Korvina.Kys"))
        && !QFileInfo::exists(s.DataFolder + QStringLiteral("/Korvina.Cpt")))
        return fail(QStringLiteral("no database in %1 (create one with: korvina --data %1 --init)").arg(s.DataFolder),
                    ExitCode::Failure);

    // The one way out: a start that ends before the main window returns its code here, and
    // so does the main window when it closes.
    if (!application.start())
        return int(application.exitCode());
    return QApplication::exec();
}

#include "app/Usage.h"

#include "base/ExitCode.h"

#include <QCommandLineParser>

namespace {
QString text(const char* s) { return QString::fromUtf8(s); }

QString code(ExitCode c) { return QString::number(int(c)); }

// Text for roff: backslashes and hyphens escaped, no line taken for a request.
QString roff(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    s.replace(QLatin1Char('-'), QLatin1String("\\-"));
    if (s.startsWith(QLatin1Char('.')) || s.startsWith(QLatin1Char('\'')))
        s.prepend(QLatin1String("\\&"));
    return s;
}

QString dashed(const QString& name)
{
    return (name.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + name;
}

QString manEntries(const std::vector<Usage::Entry>& entries)
{
    QString out;
    for (const Usage::Entry& e : entries)
        out += QLatin1String(".TP\n.B ") + roff(e.name) + QLatin1Char('\n') + roff(e.text) + QLatin1Char('\n');
    return out;
}

// As the parser lays out its options: the names in a column, the text wrapped beside them.
QString helpEntries(const std::vector<Usage::Entry>& entries)
{
    constexpr qsizetype LineWidth = 79;
    qsizetype width = 0;
    for (const Usage::Entry& e : entries)
        width = std::max(width, e.name.size() + 4);
    QString out;
    for (const Usage::Entry& e : entries) {
        QString line = (QLatin1String("  ") + e.name).leftJustified(width);
        for (const QString& word : e.text.split(QLatin1Char(' '))) {
            if (line.size() > width && line.size() + 1 + word.size() > LineWidth) {
                out += line + QLatin1Char('\n');
                line = QString(width, QLatin1Char(' '));
            }
            line += (line.size() > width ? QLatin1String(" ") : QLatin1String("")) + word;
        }
        out += line + QLatin1Char('\n');
    }
    return out;
}
}

namespace Usage {

const QStringList& synopsis()
{
    static const QStringList forms{
        text("[--data DIR] [--init [--demo]] [--database URL]"),
        text("[--data DIR] --copy-to URL"),
        text("[--data DIR] --database URL --restore-archive FILE"),
        text("[--data DIR] --report N [--criterion VALUE [--to VALUE]] [--paper A4|Letter] --pdf FILE"),
        text("--help | --version"),
    };
    return forms;
}

const std::vector<Option>& options()
{
    static const std::vector<Option> rows{
        {{text("data")}, text("DIR"),
         text("The DataFolder that holds the database and its sub-folders (default: the program's own folder "
              "when it holds Korvina.Kys, otherwise $XDG_DATA_HOME/Korvina)."), false},
        {{text("init")}, {},
         text("Create the folder layout and a new, empty database, then exit. An existing database is never "
              "overwritten."), true},
        {{text("demo")}, {}, text("With --init: add demo customers, newsletters, leads, surveys and campaigns."), false},
        {{text("database")}, text("URL"),
         text("Use a database on a PostgreSQL server (a postgresql:// URL) instead of the file in the DataFolder; "
              "with --init, create the tables there."), false},
        {{text("copy-to")}, text("URL"),
         text("Copy the DataFolder's database file into an empty database on a PostgreSQL server, then exit."), true},
        {{text("restore-archive")}, text("FILE"),
         text("With --database: bring back an archive of the server database (Arch/KoYYMMDD.dump), then exit."), true},
        {{text("report")}, text("N"),
         text("Write report N (41 to 56, as in the Report menu) to a PDF without a window, then exit."), true},
        {{text("criterion")}, text("VALUE"),
         text("With --report: the criterion (a type or record id, a text prefix, a from-date)."), false},
        {{text("to")}, text("VALUE"), text("With --report: the to-date of a date range (default: today)."), false},
        {{text("paper")}, text("A4|Letter"), text("With --report: the paper size of the PDF (default: Letter where the locale measures in inches, A4 elsewhere)."), false},
        {{text("pdf")}, text("FILE"), text("With --report: the PDF file to write; a file already there is replaced only by a complete report."), false},
        {{text("h"), text("help")}, {}, text("Show the options, exit codes and environment variables, then exit."), true},
        {{text("v"), text("version")}, {}, text("Show the version, then exit."), true},
    };
    return rows;
}

const std::vector<Entry>& exitCodes()
{
    static const std::vector<Entry> rows{
        {code(ExitCode::Success), text("The program or the command ended normally, or the log-in was cancelled.")},
        {code(ExitCode::Failure),
         text("The program could not start (the database is in use, cannot be opened or created) or the "
              "command failed.")},
        {code(ExitCode::Usage), text("A command line, report number or report value that the program cannot use.")},
        {code(ExitCode::NoData), text("--report: nothing matched; an empty report was written.")},
        {code(ExitCode::ReportFailed), text("--report: the report could not be made.")},
        {code(ExitCode::WriteFailed), text("An output file could not be written; a file already there is left as it was.")},
        {code(ExitCode::RestoreFailed), text("--restore-archive: the archive could not be read or brought back.")},
    };
    return rows;
}

const std::vector<Entry>& environment()
{
    static const std::vector<Entry> rows{
        {text("XDG_DATA_HOME"), text("Where the user's DataFolder Korvina is kept (default: ~/.local/share).")},
        {text("KORVINA_SENDMAIL"),
         text("The sendmail-compatible program that takes mail for the computer's own mail system "
              "(default: /usr/sbin/sendmail -t -oi).")},
        {text("KORVINA_SMTP_CA_FILE"),
         text("A file of CA certificates (PEM) for a private SMTP server; by default the system's store is used.")},
        {text("KORVINA_IMAP_CA_FILE"),
         text("A file of CA certificates (PEM) for a private IMAP server of the office mailbox.")},
        {text("PGPASSWORD"), text("The password for --database and --copy-to when the URL gives none (or ~/.pgpass).")},
        {text("QTWEBENGINE_DISABLE_SANDBOX"),
         text("1: run the lead editor's web engine without its sandbox; set by the program when it runs as root.")},
    };
    return rows;
}

void addOptions(QCommandLineParser& parser)
{
    for (const Option& o : options())
        parser.addOption(QCommandLineOption(o.names, o.text, o.argument));
}

bool asksForCommand(const QStringList& arguments)
{
    for (const QString& a : arguments)
        for (const Option& o : options())
            for (const QString& name : o.names)
                if (o.command && (a == dashed(name) || a.startsWith(dashed(name) + QLatin1Char('='))))
                    return true;
    return false;
}

QString helpText(const QCommandLineParser& parser)
{
    QString out;
    for (const QString& form : synopsis())
        out += (out.isEmpty() ? QLatin1String("Usage: korvina ") : QLatin1String("       korvina ")) + form
            + QLatin1Char('\n');
    out += QLatin1Char('\n') + parser.applicationDescription() + QLatin1String("\n\n");
    // The parser's own list: an option registered anywhere else shows here, and not in the manual.
    const QString parsed = parser.helpText();
    out += parsed.mid(parsed.indexOf(QLatin1String("Options:")));
    out += QLatin1String("\nExit status:\n") + helpEntries(exitCodes());
    out += QLatin1String("\nEnvironment:\n") + helpEntries(environment());
    return out;
}

QString manPage(QString page)
{
    QString forms;
    for (const QString& form : synopsis())
        forms += QLatin1String(".B korvina\n") + roff(form) + QLatin1String("\n.br\n");
    QString out = QStringLiteral(".SH OPTIONS\n");
    for (const Option& o : options()) {
        QStringList names;
        for (const QString& name : o.names)
            names << QLatin1String("\\fB") + roff(dashed(name)) + QLatin1String("\\fR");
        out += QLatin1String(".TP\n") + names.join(QLatin1String(", "));
        if (!o.argument.isEmpty())
            out += QLatin1String(" \\fI") + roff(o.argument) + QLatin1String("\\fR");
        out += QLatin1Char('\n') + roff(o.text) + QLatin1Char('\n');
    }
    out += QLatin1String(".SH EXIT STATUS\n") + manEntries(exitCodes());
    out += QLatin1String(".SH ENVIRONMENT\n") + manEntries(environment());
    return page.replace(QLatin1String("@SYNOPSIS@\n"), forms).replace(QLatin1String("@OPTIONS@\n"), out);
}

}

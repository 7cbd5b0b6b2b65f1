// Import of an N-row workbook and export of N customers, each next to the database's own shell
// doing the same work. Usage: bench_utilities [N] [folder] [export]
// With "export" the customers are put in with one statement each in one transaction and only
// the export is measured.
#include "base/Messages.h"
#include "platform/Recordset.h"
#include "shell/DatabaseCreator.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "utilities/KKExport.h"
#include "utilities/KKImport.h"
#include "utilities/TableBrowser.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <xlsxwriter.h>

#include <cstdio>

namespace {

// Answers every question with Yes and prints nothing but errors.
double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

const QStringList kColumns{"CTitle", "CFirst", "CLast", "CCompany", "CCity", "CCountry", "CEmail", "CType"};

QString valueOf(int column, int i)
{
    switch (column) {
    case 0: return i % 2 ? "Mrs" : "Mr";
    case 7: return QString::number(i % 7 + 1);
    case 6: return QString("customer%1@example.com").arg(i);
    default: return QString("%1 %2").arg(kColumns[column].mid(1)).arg(i);
    }
}

void writeWorkbook(const QString& path, int count)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    for (int c = 0; c < kColumns.size(); ++c)
        worksheet_write_string(sheet, 0, c, kColumns[c].toUtf8().constData(), nullptr);
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < kColumns.size(); ++c) {
            if (c == 7)
                worksheet_write_number(sheet, i + 1, c, i % 7 + 1, nullptr);
            else
                worksheet_write_string(sheet, i + 1, c, valueOf(c, i).toUtf8().constData(), nullptr);
        }
    workbook_close(book);
}

// The same rows for the shell: one transaction each, with the program's synchronous setting.
void writeShellScript(const QString& path, int count, const QString& key)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray out = "PRAGMA key='" + key.toUtf8() + "';\nPRAGMA journal_mode=WAL;\nPRAGMA synchronous=FULL;\n";
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < kColumns.size(); ++c)
            values << (c == 7 ? valueOf(c, i) : "'" + valueOf(c, i) + "'");
        out += "BEGIN;\nINSERT INTO ktCustomer (EDate, " + kColumns.join(", ").toUtf8() + ") VALUES ('" + today.toUtf8()
               + "', " + values.join(", ").toUtf8() + ");\nCOMMIT;\n";
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
}

double runShell(const QString& program, const QStringList& args, const QString& input, const QString& output)
{
    QProcess p;
    if (!input.isEmpty())
        p.setStandardInputFile(input);
    p.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
    return seconds(t);
}

void fillQuickly(ProgramState& s, int count)
{
    s.connection->beginTrans();
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < kColumns.size(); ++c)
            values << (c == 7 ? valueOf(c, i) : "'" + valueOf(c, i) + "'");
        s.connection->execute("INSERT INTO ktCustomer (EDate, " + kColumns.join(", ") + ") VALUES (#05/01/2024#, "
                              + values.join(", ") + ")");
    }
    s.connection->commitTrans();
}

void measureImport(ProgramState& s, int count, const QString& folder, const QString& shellCopy,
                   const BenchMessages& messages)
{
    const QString book = s.DataFolder + "/Docs/customers.xlsx";
    writeWorkbook(book, count);
    std::printf("N=%d, workbook %.1f MB\n", count, QFileInfo(book).size() / 1048576.0);
    QElapsedTimer t;
    double listing = 0, importing = 0;
    {
        KKImport screen;
        screen.fileBox()->setText(book);
        t.start();
        screen.listWorksheet();
        listing = seconds(t);
        screen.browser().SelectAllFields();
        t.restart();
        screen.importRecords();
        importing = seconds(t);
    }
    std::printf("import: list %.2f s, rows %.1f s (%.0f rows/s), peak memory %.0f MB, errors %d, customers %d\n",
                listing, importing, count / importing, peakMegabytes(), messages.errors, count);

    const QString script = folder + "/insert.sql";
    writeShellScript(script, count, s.databasePassword());
    const double shell = runShell("sqlcipher", {shellCopy}, script, {});
    std::printf("sqlcipher shell, one transaction a row: %.1f s (%.0f rows/s); import / shell = %.2f\n", shell,
                count / shell, (listing + importing) / shell);
}

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure is out as soon as it is measured
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);

    ProgramState s;
    BenchMessages messages;
    s.setMessages(&messages);
    s.DataFolder = folder + "/data";
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, false);
    // The shell works on a copy of the same fresh database.
    const QString shellCopy = folder + "/shell.Kys";
    QFile::copy(s.DataFolder + "/Korvina.Kys", shellCopy);
    s.connection->open();
    s.connection->setCursorLocation(CursorLocation::Client);
    LoadCustomization();

    const bool exportOnly = argc > 3 && QString::fromLocal8Bit(argv[3]) == QLatin1String("export");
    if (exportOnly)
        fillQuickly(s, count);
    else
        measureImport(s, count, folder, shellCopy, messages);

    QElapsedTimer t;
    double exporting = 0;
    {
        KKExport screen;
        screen.browser().SelectAllFields();
        t.start();
        screen.browser().ListRecords();
        const double listed = seconds(t);
        screen.fileBox()->setText(folder + "/export.Txt");
        screen.exportRecords();
        exporting = seconds(t);
        std::printf("export: list %.2f s, write %.2f s\n", listed, exporting - listed);
    }
    std::printf("export (list and write): %.2f s, %.1f MB\n", exporting, QFileInfo(folder + "/export.Txt").size() / 1048576.0);

    // The shell's export reads a plain copy of the same rows.
    s.connection->close();
    const QString plain = folder + "/plain.db";
    QFile::remove(plain);
    runShell("sqlcipher", {s.DataFolder + "/Korvina.Kys",
                           "PRAGMA key='" + s.databasePassword() + "'; ATTACH DATABASE '" + plain
                               + "' AS plaintext KEY ''; SELECT sqlcipher_export('plaintext'); DETACH DATABASE plaintext;"},
             {}, {});
    const double csv = runShell("sqlite3", {"-csv", plain, "Select * From ktCustomer"}, {}, folder + "/shell.csv");
    std::printf("sqlite3 -csv from a plain copy: %.2f s; export / shell = %.2f\n", csv, exporting / csv);
    s.setMessages(nullptr);
    return 0;
}

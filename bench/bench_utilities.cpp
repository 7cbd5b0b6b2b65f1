// The data utilities next to the database's own shell doing the same work, each mode in a
// process of its own so that its peak memory is its own:
//   bench_utilities import N folder     import an N-row workbook, three times, each next to the shell
//   bench_utilities into B N folder     B customers put in at once, then an N-row workbook imported
//                                       into them, three times, each next to the shell
//   bench_utilities replace B folder    B customers; find and replace of the city of a seventh of them,
//                                       three times, each next to the shell's UPDATE
//   bench_utilities export N folder     N customers put in at once; the export next to sqlite3 -csv
//   bench_utilities workbook N path     (for the import modes) writes the N-row workbook
#include "base/Messages.h"
#include "platform/Recordset.h"
#include "shell/DatabaseCreator.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/KKAccess.h"
#include "utilities/KKExport.h"
#include "utilities/KKFindRepl.h"
#include "utilities/KKImport.h"
#include "utilities/TableBrowser.h"
#include "BenchMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
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
#include <cstring>

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
    for (lxw_col_t c = 0; c < kColumns.size(); ++c)
        worksheet_write_string(sheet, 0, c, kColumns[c].toUtf8().constData(), nullptr);
    for (int i = 0; i < count; ++i)
        for (lxw_col_t c = 0; c < kColumns.size(); ++c) {
            if (c == 7)
                worksheet_write_number(sheet, i + 1, c, i % 7 + 1, nullptr);
            else
                worksheet_write_string(sheet, i + 1, c, valueOf(c, i).toUtf8().constData(), nullptr);
        }
    workbook_close(book);
}

// The same rows for the shell: one transaction each, with the import's settings (WAL,
// synchronous=NORMAL, one flush at the end); with `held` also the file held alone and the
// journal checkpointed every 10,000 pages, as the import does.
void writeShellScript(const QString& path, int count, const QString& key, bool held)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray out = "PRAGMA key='" + key.toUtf8() + "';\nPRAGMA journal_mode=WAL;\nPRAGMA synchronous=NORMAL;\n";
    if (held)
        out += "PRAGMA locking_mode=EXCLUSIVE;\nPRAGMA wal_autocheckpoint=10000;\n";
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
    f.write(out + "PRAGMA synchronous=FULL;\nPRAGMA wal_checkpoint(FULL);\n");
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

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

double loadAverage()
{
    double load[1] = {0};
    getloadavg(load, 1);
    return load[0];
}

// Imports the workbook through the import screen (list and rows); seconds.
double importOnce(const QString& book, const BenchMessages& messages)
{
    QElapsedTimer t;
    KKImport screen;
    screen.fileBox()->setText(book);
    t.start();
    screen.listWorksheet();
    const double listing = seconds(t);
    screen.browser().SelectAllFields();
    screen.importRecords();
    const double all = seconds(t);
    std::printf("  import: list %.2f s, rows %.2f s, errors %d\n", listing, all - listing, messages.errors);
    return all;
}

// Three pairs, each the import and then the shell doing the same rows into its own copy.
void measureImport(ProgramState& s, int count, const QString& folder, const QString& shellCopy,
                   const BenchMessages& messages)
{
    const QString book = s.DataFolder + "/Docs/customers.xlsx";
    // Written by a process of its own: the writer holds every cell until it closes the
    // workbook, which would otherwise be this process's peak memory.
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), {"workbook", QString::number(count), book});
    writer.waitForFinished(-1);
    std::printf("N=%d, workbook %.1f MB\n", count, double(QFileInfo(book).size()) / 1048576.0);
    const QString script = folder + "/insert.sql";
    writeShellScript(script, count, s.databasePassword(), false);
    const QString heldScript = folder + "/insert-held.sql";
    writeShellScript(heldScript, count, s.databasePassword(), true);
    const QString heldCopy = folder + "/shell-held.Kys";
    QFile::remove(heldCopy);
    QFile::copy(shellCopy, heldCopy);
    QVector<double> ratios, heldRatios;
    for (int pair = 0; pair < 3; ++pair) {
        const double program = importOnce(book, messages);
        const double shell = runShell("sqlcipher", {shellCopy}, script, {});
        const double held = runShell("sqlcipher", {heldCopy}, heldScript, {});
        ratios << program / shell;
        heldRatios << program / held;
        std::printf("pair %d: import %.2f s (%.0f rows/s), shell %.2f s, ratio %.2f; shell holding the file %.2f s, "
                    "ratio %.2f; load %.1f\n",
                    pair + 1, program, count / program, shell, program / shell, held, program / held, loadAverage());
    }
    std::printf("import: median ratio %.2f (to the shell holding the file %.2f), peak memory %.0f MB\n", median(ratios),
                median(heldRatios), peakMegabytes());
}

// Puts the customers in at once, then copies the file for the shell.
QString fillAndCopy(ProgramState& s, int count, const QString& folder)
{
    fillQuickly(s, count);
    s.connection->close();
    const QString copy = folder + "/shell.Kys";
    QFile::remove(copy);
    QFile::copy(s.DataFolder + "/Korvina.Kys", copy);
    s.connection->open();
    return copy;
}

// Three pairs: the screen's find and replace of CCity where CType = 3, and the shell's UPDATE.
void measureReplace(ProgramState& s, const QString& shellCopy, const QString& folder)
{
    s.EPasscd = QStringLiteral("Secret");
    const QString script = folder + "/update.sql";
    QVector<double> ratios;
    for (int pair = 0; pair < 3; ++pair) {
        const QString city = QString("City%1").arg(pair);
        double program = 0;
        {
            KKFindRepl screen;
            screen.browser().criteriaBox()->setCurrentText("CType");
            screen.browser().operatorBox()->setCurrentText("=");
            screen.browser().valueBox()->setText("3");
            QElapsedTimer t;
            t.start();
            screen.browser().ListRecords();
            screen.browser().fieldBox()->setCurrentText("CCity");
            screen.valueBox()->setText(city);
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [&] {
                if (auto* prompt = qobject_cast<KKAccess*>(QApplication::activeModalWidget())) {
                    prompt->codeBox()->setText("Secret");
                    prompt->submit();
                }
            });
            answer.start(1);
            screen.replaceRecords();
            program = seconds(t);
        }
        QFile f(script);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("PRAGMA key='" + s.databasePassword().toUtf8() + "';\nPRAGMA journal_mode=WAL;\nBEGIN;\n"
                "SELECT Count(*) FROM ktCustomer WHERE CType = 3;\nUPDATE ktCustomer SET CCity = '" + city.toUtf8()
                + "' WHERE CType = 3;\nCOMMIT;\n");
        f.close();
        const double shell = runShell("sqlcipher", {shellCopy}, script, {});
        ratios << program / shell;
        std::printf("pair %d: find and replace %.2f s, shell %.2f s, ratio %.2f, load %.1f\n", pair + 1, program, shell,
                    program / shell, loadAverage());
    }
    std::printf("find and replace: median ratio %.2f, peak memory %.0f MB\n", median(ratios), peakMegabytes());
}

void measureExport(ProgramState& s, const QString& folder)
{
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
    std::printf("export (list and write): %.2f s, %.1f MB, peak memory %.0f MB\n", exporting,
                double(QFileInfo(folder + "/export.Txt").size()) / 1048576.0, peakMegabytes());

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
}

}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "workbook") == 0) {
        writeWorkbook(QString::fromLocal8Bit(argv[3]), std::atoi(argv[2]));
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure is out as soon as it is measured
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("import");
    const bool into = mode == QLatin1String("into");
    const int base = into && argc > 2 ? std::atoi(argv[2]) : 0;
    const int count = argc > (into ? 3 : 2) ? std::atoi(argv[into ? 3 : 2]) : 100000;
    QTemporaryDir temporary;
    const QString folder = argc > (into ? 4 : 3) ? QString::fromLocal8Bit(argv[into ? 4 : 3]) : temporary.path();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);

    ProgramState s;
    BenchMessages messages;
    s.setMessages(&messages);
    s.DataFolder = folder + "/data";
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, false);
    s.connection->open();
    LoadCustomization();
    // The customer types the rows name (CType 1 to 7), so that no value is refused.
    for (int type = 1; type <= 7; ++type)
        s.connection->execute(QString("INSERT INTO kmCustType (CCategory) VALUES ('Type %1')").arg(type));
    // The shell works on a copy of the same database.
    s.connection->close();
    QString shellCopy = folder + "/shell.Kys";
    QFile::copy(s.DataFolder + "/Korvina.Kys", shellCopy);
    s.connection->open();

    if (mode == QLatin1String("import")) {
        measureImport(s, count, folder, shellCopy, messages);
    } else if (into) {
        QElapsedTimer t;
        t.start();
        shellCopy = fillAndCopy(s, base, folder);
        std::printf("%d customers put in: %.1f s\n", base, seconds(t));
        measureImport(s, count, folder, shellCopy, messages);
    } else if (mode == QLatin1String("replace")) {
        shellCopy = fillAndCopy(s, count, folder);
        measureReplace(s, shellCopy, folder);
    } else {
        fillQuickly(s, count);
        measureExport(s, folder);
    }
    s.setMessages(nullptr);
    return 0;
}

// Address List over many customers: time to the first page in the print preview, time to
// every page in the preview, the longest time the window took no events meanwhile, time to
// the whole PDF, and the peak memory of the process.
//   QT_QPA_PLATFORM=offscreen bench_reports [customers] [folder]

#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "base/ReportCatalogue.h"
#include "reports/ReportCriterion.h"
#include "reports/ReportRenderer.h"
#include "reports/ReportRun.h"
#include "reports/ReportViewer.h"
#include "shell/DatabaseCreator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
long peakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void fill(Connection& c, int customers)
{
    c.beginTrans();
    c.execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2024-01-01', 'Retail', 'Shops')"));
    static const char* const firsts[] = {"Anna", "Bruno", "Chloe", "David", "Elena", "Farid", "Greta", "Hugo"};
    static const char* const cities[] = {"Bristol", "Leeds", "Hamburg", "Lyon", "Turin", "Porto"};
    for (int n = 0; n < customers; ++n)
        c.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast, CCity, CCountry, CZipCode, CType, "
                                 "CActive) VALUES ('2024-02-01', 'Ms', '%1 %2', 'Surname%2', '%3', 'Country%4', '%5', 1, 'Y')")
                      .arg(QLatin1String(firsts[n % 8]))
                      .arg(n)
                      .arg(QLatin1String(cities[n % 6]))
                      .arg(n % 9)
                      .arg(10000 + n));
    c.commitTrans();
}
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int customers = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir temp;
    ProgramState programState;
    ProgramState& s = programState;
    s.DataFolder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    InitProgramState();
    DatabaseCreator::createInstallation(s.DataFolder, false);
    s.connection->open();
    fill(*s.connection, customers);
    s.EShort = QStringLiteral("Bench");
    std::printf("customers: %d, peak memory after filling: %ld MB\n", customers, peakMemoryMb());

    const ReportDef& def = *ReportCatalogue::find(41);
    const ReportCriterion criterion = ReportCriterion::build(def, {});
    ReportViewer viewer;
    viewer.resize(1280, 900);
    viewer.show();

    // A timer that should tick every 5 ms: the longest gap between two ticks is the longest
    // time the window could not have answered the user.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    ticker.start(5);
    QApplication::processEvents();
    sinceTick.start();

    QElapsedTimer clock;
    clock.start();
    ReportRun run(def, criterion);
    const std::unique_ptr<ReportDocument> report = run.run();
    const qint64 rowsRead = clock.elapsed();
    viewer.setReport(report.get());
    viewer.repaint(); // the first page on the screen, before the later pages are laid out
    const qint64 firstPage = clock.elapsed();
    while (viewer.isBusy())
        QApplication::processEvents();
    const qint64 allPages = clock.elapsed();
    longestGap = std::max(longestGap, sinceTick.elapsed());
    ticker.stop();
    std::printf("statement and rows: %lld ms; first page in the preview: %lld ms; all %d pages in the preview: %lld ms\n",
                rowsRead, firstPage, viewer.pageCount(), allPages);
    std::printf("longest time without events while viewing: %lld ms\n", longestGap);

    clock.restart();
    const int pages = ReportRenderer(*report).writePdf(s.DataFolder + QStringLiteral("/AddressList.pdf"));
    std::printf("whole PDF (%d pages): %lld ms; peak memory: %ld MB\n", pages, clock.elapsed(), peakMemoryMb());
    viewer.setReport(nullptr);
    s.connection->close();
    return 0;
}

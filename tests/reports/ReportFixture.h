#pragma once
// What the report tests share: a demo DataFolder, a report run to a PDF and the PDF's text.

#include "common/TestSupport.h"

#include "base/ProgramState.h"
#include "reports/LayoutFiles.h"
#include "base/ReportCatalogue.h"
#include "reports/ReportCriterion.h"
#include "reports/ReportRenderer.h"
#include "reports/ReportRun.h"
#include "shell/DatabaseCreator.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

// A DataFolder with the demo content and the report layouts in its Bin folder.
inline std::unique_ptr<TestDataFolder> demoFolder()
{
    auto folder = std::make_unique<TestDataFolder>(TestDataFolder::Options{.content = DemoData::fill});
    LayoutFiles::installMissing(state().BinFolder);
    return folder;
}

// The text of a PDF (or of one page of it) as pdftotext reads it, in the physical layout.
inline QString pdfText(const QString& path, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << path << QStringLiteral("-");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromLocal8Bit(p.readAllStandardError()));
    // Ligatures ("ﬁ", "ﬀ") read back as their letters.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The words of a PDF with their boxes (points from the top left), as pdftotext -bbox reads them.
struct PdfWord {
    QString text;
    QRectF box;
    int page; // from 1
};
inline QList<PdfWord> pdfWords(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> out;
    const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QStringLiteral("</page>"));
    for (int page = 0; page < pages.size(); ++page) {
        for (auto it = word.globalMatch(pages[page]); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            out << PdfWord{m.captured(5),
                           QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                           page + 1};
        }
    }
    return out;
}

// Runs a report as the report screen's View does and writes it to a PDF on the given paper.
// Returns the PDF's path ("" when no report could be opened).
inline QString writeReport(const TestDataFolder& folder, int number, const CriterionInput& input = {},
                           QPageSize::PageSizeId paper = QPageSize::A4)
{
    const ReportDef* def = ReportCatalogue::find(number);
    const ReportCriterion criterion = ReportCriterion::build(*def, input);
    ReportRun run(*def, criterion);
    const std::unique_ptr<ReportDocument> report = run.run();
    if (!report)
        return {};
    const QString path = folder.file(QStringLiteral("report-%1.pdf").arg(number));
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(paper));
    const ReportRenderer renderer(*report);
    renderer.preparePage(writer);
    renderer.render(writer);
    return path;
}

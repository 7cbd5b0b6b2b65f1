#include "app/ReportCommand.h"

#include "base/ExitCode.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/DateText.h"
#include "platform/ReadScope.h"
#include "platform/Recordset.h"
#include "reports/LayoutFiles.h"
#include "base/ReportCatalogue.h"
#include "reports/ReportCriterion.h"
#include "reports/ReportRenderer.h"
#include "reports/ReportRun.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace {
const QString kReport = QStringLiteral("report");
const QString kCriterion = QStringLiteral("criterion");
const QString kTo = QStringLiteral("to");
const QString kPdf = QStringLiteral("pdf");
const QString kPaper = QStringLiteral("paper");

// Without a window the program's messages go to the standard error stream.
class ConsoleMessages : public Messages {
public:
    ConsoleMessages() { state().setMessages(this); }
    ~ConsoleMessages() override { state().setMessages(nullptr); }
    void notice(const QString& text) override
    {
        // "Error!" tells a terminal nothing: the command says the cause in words instead.
        if (text != QLatin1String("Error!"))
            say(text);
    }
    bool question(const QString& text) override
    {
        say(text);
        return false;
    }
    void error(const QString& text, const QString&) override { say(text); }

private:
    static void say(const QString& text) { std::fprintf(stderr, "korvina: %s\n", qPrintable(text)); }
};

int finish(ExitCode code, const QString& message = {})
{
    if (!message.isEmpty())
        std::fprintf(stderr, "korvina: %s\n", qPrintable(message));
    return int(code);
}

// The first column of a query's first row ("" when there is none).
QString lookUp(const QString& sql)
{
    QString value;
    Guard([&] {
        Recordset r;
        r.open(sql, *state().connection, CursorType::Static, LockType::ReadOnly);
        if (!r.eof())
            value = r.field(0).text().trimmed();
        r.close();
    });
    return value;
}

// What the report screen would hold after the user entered the same criterion.
bool criterionInput(const ReportDef& report, const QCommandLineParser& parser, CriterionInput& input)
{
    input.value = parser.value(kCriterion);
    if (report.kind == CriterionKind::PickedNumber && !input.value.trimmed().isEmpty()) {
        bool numeric = false;
        const qint64 type = input.value.trimmed().toLongLong(&numeric);
        if (numeric)
            input.typeName = lookUp(QStringLiteral("Select CCategory From kmCustType Where EId= %1").arg(type));
    }
    if (report.kind != CriterionKind::DateRange)
        return true;
    if (input.value.trimmed().isEmpty())
        return true;
    input.from = DateText::parse(input.value);
    input.to = parser.isSet(kTo) ? DateText::parse(parser.value(kTo)) : state().clock.today();
    if (!input.from.isValid() || !input.to.isValid())
        return false;
    input.value = DateText::format(input.from);
    input.toText = DateText::format(input.to);
    return true;
}
}

namespace ReportCommand {

bool requested(const QCommandLineParser& parser)
{
    return parser.isSet(kReport) || parser.isSet(kPdf) || parser.isSet(kCriterion) || parser.isSet(kTo)
        || parser.isSet(kPaper);
}

int run(const QCommandLineParser& parser)
{
    if (!parser.isSet(kReport) || !parser.isSet(kPdf))
        return finish(ExitCode::Usage, QStringLiteral("--report and --pdf go together"));
    bool numeric = false;
    const int number = parser.value(kReport).toInt(&numeric);
    const ReportDef* report = numeric ? ReportCatalogue::find(number) : nullptr;
    if (!report)
        return finish(ExitCode::Usage, QStringLiteral("no report numbered '%1' (reports: %2)")
                                            .arg(parser.value(kReport), ReportCatalogue::numbers()));
    if (parser.isSet(kTo) && report->kind != CriterionKind::DateRange)
        return finish(ExitCode::Usage, QStringLiteral("--to goes only with the date-range reports %1")
                                            .arg(ReportCatalogue::numbers(CriterionKind::DateRange)));
    if (parser.isSet(kTo) && !parser.isSet(kCriterion))
        return finish(ExitCode::Usage, QStringLiteral("--to ends a range: give its start with --criterion"));
    QPageSize::PageSizeId paper = QPageSize::A4;
    if (parser.isSet(kPaper) && !ReportRenderer::paperSize(parser.value(kPaper), &paper))
        return finish(ExitCode::Usage, QStringLiteral("no paper called '%1' (papers: A4, Letter)").arg(parser.value(kPaper)));

    ProgramState& s = state();
    if (s.DatabaseUrl.isEmpty() && !QFileInfo::exists(s.DataFolder + QStringLiteral("/Korvina.Kys")))
        return finish(ExitCode::ReportFailed, QStringLiteral("no database in %1").arg(s.DataFolder));
    ConsoleMessages messages;
    InitProgramState();
    LayoutFiles::installMissing(s.BinFolder);
    if (!Guard([&] { s.connection->open(); }))
        return finish(ExitCode::ReportFailed, QStringLiteral("cannot open the database in %1").arg(s.DataFolder));
    s.EShort = lookUp(QStringLiteral("Select EShort From kaEnterprise"));

    CriterionInput input;
    if (!criterionInput(*report, parser, input))
        return finish(ExitCode::Usage, ReportCriterion::message(ReportCriterion::Check::InvalidCriteria));
    const ReportCriterion criterion = ReportCriterion::build(*report, input);
    if (criterion.check != ReportCriterion::Check::Ok)
        return finish(ExitCode::Usage, ReportCriterion::message(criterion.check));

    ReportRun view(*report, criterion);
    const std::unique_ptr<ReportDocument> document = view.run();
    if (view.refused()) {
        s.connection->close();
        return finish(ExitCode::ReportFailed, ReadScope::message());
    }
    s.connection->close();
    // A report that is not whole is not written: the file already there stays as it was.
    if (!document || view.failed())
        return finish(ExitCode::ReportFailed, QStringLiteral("the report could not be made: %1 (nothing was written)")
                                                  .arg(view.errors().join(QStringLiteral("; "))));
    const ReportRenderer renderer(*document);
    ReportRenderer::Paper sheet = renderer.defaultPaper();
    if (parser.isSet(kPaper))
        sheet.size = paper;
    try {
        renderer.writePdf(parser.value(kPdf), sheet);
    } catch (const AppError& e) {
        LogError(e);
        return finish(ExitCode::WriteFailed, e.description());
    }
    return int(view.empty() ? ExitCode::NoData : ExitCode::Success);
}

}

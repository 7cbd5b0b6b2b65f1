#include "reports/ReportRun.h"

#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/Recordset.h"
#include "reports/ReportCatalogue.h"
#include "reports/ReportCriterion.h"

ReportRun::ReportRun(const ReportDef& report, const ReportCriterion& criterion)
    : m_report(report), m_criterion(criterion)
{
}

QString ReportRun::statement() const { return m_report.statement(m_criterion.clause); }

QString ReportRun::layoutPath() const { return state().BinFolder + m_report.layoutFile; }

std::unique_ptr<ReportDocument> ReportRun::run()
{
    ProgramState& s = state();
    m_empty = false;
    m_failed = false;
    auto step = [this](auto&& statement) {
        if (!Guard(statement))
            m_failed = true;
    };

    Recordset rows;
    // The criterion reads only the tables the report's own statement names.
    const ReadScope scope = ReadScope::of(m_report.statement({}));
    const GuardResult opened = GuardCriterion(
        [&] { rows.open(statement(), *s.connection, CursorType::Dynamic, LockType::ReadOnly, scope); });
    m_refused = opened == GuardResult::Refused;
    m_failed = opened != GuardResult::Done;
    if (m_refused)
        return nullptr;
    if (rows.isOpen() && rows.eof()) {
        m_empty = true;
        Messages::current().notice(QStringLiteral("No Data!"));
    }

    std::unique_ptr<ReportDocument> report;
    step([&] { report = ReportDocument::open(layoutPath()); });
    if (report) {
        step([&] {
            for (int table = 1; table <= report->tableCount(); ++table)
                report->setLogOnInfo(table, QString(), s.DatabaseFile, QStringLiteral("Admin"), QString());
        });
        step([&] { report->discardSavedData(); });
        step([&] { report->setDataSource(rows); }); // a statement that failed feeds no rows
        for (const QString& name : m_report.formulas) {
            const QString text = name == QLatin1String("pCompName") ? s.EShort : m_criterion.description;
            step([&] { report->setFormulaText(name, text); });
        }
    }
    if (rows.isOpen())
        rows.close();
    return report;
}

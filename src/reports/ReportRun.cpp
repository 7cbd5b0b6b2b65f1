#include "reports/ReportRun.h"

#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/Recordset.h"
#include "base/ReportCatalogue.h"
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
    m_errors.clear();
    m_refused = false;
    // Each failure goes to the shared handler; its words are kept for callers without a screen.
    auto step = [this](auto&& statement) {
        try {
            statement();
        } catch (const AppError& e) {
            m_errors << e.description();
            LogError(e);
        } catch (const std::exception& e) {
            m_errors << QString::fromLocal8Bit(e.what());
            LogError(e);
        }
    };

    Recordset rows;
    // The criterion reads only the tables the report's own statement names.
    const ReadScope scope = ReadScope::of(m_report.statement({}));
    step([&] {
        try {
            rows.open(statement(), *s.connection, CursorType::Dynamic, LockType::ReadOnly, scope);
        } catch (const AppError& e) {
            m_refused = e.number() == DbErrors::NoReadPermission;
            throw;
        }
    });
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

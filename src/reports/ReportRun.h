#pragma once
#include "reports/ReportDocument.h"

#include <QStringList>
#include <memory>

struct ReportDef;
struct ReportCriterion;

// One view of a report without its screen: runs the statement with the criterion's clause,
// says "No Data!" when it returns no rows, and opens and feeds the layout in the runtime's
// order (open by path, log on, discard saved data, set the data source, set the formula
// texts). Each failing step is logged with "Error!" and the run goes on with the next.
class ReportRun {
public:
    ReportRun(const ReportDef& report, const ReportCriterion& criterion);

    // The statement the run sends (head pieces, clause, tail) and the layout's path.
    QString statement() const;
    QString layoutPath() const;

    // Runs the steps. Returns the fed report, or nullptr when its layout could not be opened or
    // the criterion was refused.
    std::unique_ptr<ReportDocument> run();
    // After run(): whether the statement returned no rows, and whether any step failed.
    bool empty() const { return m_empty; }
    bool failed() const { return !m_errors.isEmpty(); }
    // What went wrong, one description per failed step.
    const QStringList& errors() const { return m_errors; }
    // The criterion read beyond the report's tables: nothing was run or shown.
    bool refused() const { return m_refused; }

private:
    const ReportDef& m_report;
    const ReportCriterion& m_criterion;
    bool m_empty = false;
    QStringList m_errors;
    bool m_refused = false;
};

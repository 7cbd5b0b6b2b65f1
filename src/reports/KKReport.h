#pragma once
#include "base/ReportCatalogue.h"

#include <QDialog>
#include <memory>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ReportDocument;
class ReportViewer;

// The report screen: one of the thirteen reports, its one criterion, and the print preview
// of the result. Reads the report number and the open record module from the program state
// when it is made; always shown modal.
class KKReport : public QDialog {
    Q_OBJECT
public:
    // caption: the Report menu entry's caption (kept unless the open module's report replaces it).
    explicit KKReport(const QString& caption, QWidget* parent = nullptr);
    ~KKReport() override;

    int reportNumber() const { return m_number; }
    ReportViewer* viewer() const { return m_viewer; }
    // The pick list's choice for the report: the type's name and id.
    void setPicked(const QString& name, const QString& id);

public slots:
    void view(); // cmdView
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();                        // L2 to L4
    void prefill(QWidget* screen);      // L4
    void openList(int which);           // cmdList1 / cmdList2
    void takeDate(int which, const QDate& date);
    void hideCalendar(int which);

    int m_number = 0;
    const ReportDef* m_def = nullptr;
    QComboBox* m_field;
    QComboBox* m_operator;
    QLineEdit* m_text[2];
    QToolButton* m_list[2];
    QCalendarWidget* m_calendar[2];
    QLabel* m_listLabel;
    QPushButton* m_view;
    ReportViewer* m_viewer;
    std::unique_ptr<ReportDocument> m_report;
};

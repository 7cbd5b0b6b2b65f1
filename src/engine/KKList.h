#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

// The pick list: the rows of a master or content table (PickListSource), one line each:
// the name cut or padded to 30 characters, a blank, the id cut or padded to 15. Choosing a row
// writes its name into lblList(ListTarget) and its id into txtField(ListTarget) of ActiveForm,
// or hands both to the report screen when ListTarget is 99.
class KKList : public QDialog {
    Q_OBJECT
public:
    explicit KKList(QWidget* parent = nullptr);
    ~KKList() override;

    QListWidget* list() const { return m_list; }
    // Chooses the selected item, as Enter, Space, Tab, a double click or a tick do.
    void choose();

    // Where a choice for ListTarget 99 goes (the report screen's selection): the report screen
    // that opens this list sets it before exec().
    using ReportTarget = std::function<void(const QString& name, const QString& id)>;
    void setReportTarget(ReportTarget target) { m_reportTarget = std::move(target); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ReportTarget m_reportTarget;
    void load();
    void release();

    QListWidget* m_list;
    QLabel* m_header0;
    QLabel* m_header1;
};

// Trims a text, keeps at most n characters and pads it with blanks to n.
QString PadText(const QString& text, int n);

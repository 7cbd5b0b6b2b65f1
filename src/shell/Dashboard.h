#pragma once
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

// The dashboard pctDash of the main window: a title and four panes, one per content table,
// each showing the first four columns of the table's newest record and a "+" button that
// opens the table's module.
class Dashboard : public QWidget {
    Q_OBJECT
public:
    explicit Dashboard(QWidget* parent = nullptr);


    QLabel* detailLabel(int n) const;
    QPushButton* paneButton(int pane) const;
    QFrame* pane(int pane) const;

    // Back colour of the dashboard and of its four panes.
    void setBackColour(const QColor& colour);

    // Reads the newest record of each ContentTables(i) into pane i through the settings
    // reader. Throws at the first table that cannot be
    // read; the panes not yet reached keep their values.
    void readNewestRecords();

signals:
    // cmdDash(pane) was clicked.
    void paneButtonClicked(int pane);

private:
    QWidget* buildPane(int pane);

    QLabel* m_head = nullptr;
    QFrame* m_rule = nullptr;
    QFrame* m_panes[4] = {};
    QLabel* m_titles[4][4] = {};
    QLabel* m_details[4][4] = {};
    QPushButton* m_buttons[4] = {};
};

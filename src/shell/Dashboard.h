#pragma once
#include "base/ModuleCatalogue.h"

#include <QVector>
#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

// The dashboard pctDash of the main window: a title and a pane for each module the catalogue
// gives one (ModuleCatalogue::dashboardModules(): customers, news, leads, surveys), each
// showing the first four columns of its table's newest record and a "+" button that opens
// the module.
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
    // cmdDash(pane) was clicked: the pane's module.
    void moduleChosen(ModuleId module);

private:
    QWidget* buildPane(int pane, const ModuleDef& module);

    QLabel* m_head = nullptr;
    QFrame* m_rule = nullptr;
    QVector<QFrame*> m_panes;
    QVector<std::array<QLabel*, 4>> m_details;
    QVector<QPushButton*> m_buttons;
};

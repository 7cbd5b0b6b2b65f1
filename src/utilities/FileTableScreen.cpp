#include "utilities/FileTableScreen.h"

#include "engine/DataGrid.h"
#include "base/Look.h"
#include "base/ProgramState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

FileTableScreen::FileTableScreen(const Parts& parts, const TableBrowser::Setup& setup, QWidget* parent)
    : QDialog(parent),
      m_frame(new QWidget(this)),
      m_progress(new QLabel(QStringLiteral("."), m_frame)),
      m_run(m_frame, m_progress),
      m_browser(new TableBrowser(setup, m_frame))
{
    setObjectName(parts.screenName);
    setWindowTitle(parts.caption);
    setModal(true);
    m_frame->setObjectName(QStringLiteral("frmMain"));
    m_progress->setObjectName(QStringLiteral("lblField_41"));

    m_file = new QLineEdit(m_frame);
    m_file->setObjectName(QStringLiteral("txtFile"));
    m_file->setToolTip(parts.fileTip);
    m_file->setAccessibleName(QStringLiteral("File"));
    m_choose = new QPushButton(QStringLiteral(">"), m_frame);
    m_choose->setObjectName(QStringLiteral("cmdFile"));
    m_choose->setToolTip(QStringLiteral("Selection"));
    m_choose->setAccessibleName(QStringLiteral("Selection"));
    m_choose->setAutoDefault(false);
    auto* allButton = new QPushButton(QStringLiteral("<All"), m_frame);
    allButton->setObjectName(QStringLiteral("cmdAll"));
    allButton->setAccessibleName(QStringLiteral("Select All Fields"));
    allButton->setAutoDefault(false);
    m_runButton = new QPushButton(parts.runCaption, m_frame);
    m_runButton->setObjectName(parts.runName);
    m_runButton->setToolTip(parts.fileTip);
    m_runButton->setAccessibleName(parts.fileTip);
    m_runButton->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);

    m_grid = new QGridLayout(m_frame);
    m_grid->addWidget(Caption(QStringLiteral("Table:"), m_browser->tableBox(), m_frame), 0, 0);
    m_grid->addWidget(m_browser->tableBox(), 0, 1, 1, 2);
    m_grid->addWidget(Caption(QStringLiteral("File:"), m_file, m_frame), 0, 3);
    m_grid->addWidget(m_file, 0, 4, 1, 2);
    m_grid->addWidget(m_choose, 0, 6);
    m_grid->addWidget(close, 0, 7);
    m_grid->addWidget(Caption(QStringLiteral("Fields:"), m_browser->fieldList(), m_frame), 1, 0);
    m_grid->addWidget(m_browser->fieldList(), 1, 1, 2, 2);
    m_grid->addWidget(allButton, 1, 3);
    m_grid->addWidget(Caption(QStringLiteral("Criteria:"), m_browser->criteriaBox(), m_frame), 3, 0);
    m_grid->addWidget(m_browser->criteriaBox(), 3, 1);
    m_grid->addWidget(m_browser->operatorBox(), 3, 2);
    m_grid->addWidget(m_browser->valueBox(), 3, 3, 1, 3);
    m_grid->addWidget(m_browser->listButton(), 3, 6);
    m_grid->addWidget(m_browser->grid(), 4, 0, 1, 8);
    m_grid->addWidget(m_browser->countLabel(), 5, 0);
    m_grid->addWidget(m_browser->recordsLabel(), 5, 1);
    m_grid->addWidget(m_progress, 5, 4);
    m_grid->addWidget(m_runButton, 5, 6, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_frame);

    connect(allButton, &QPushButton::clicked, m_browser, &TableBrowser::SelectAllFields);
}

void FileTableScreen::reject()
{
    if (m_run.isRunning())
        m_run.requestStop();
    else
        QDialog::reject();
}

QString FileTableScreen::chooseFileName(QFileDialog::AcceptMode mode, const QStringList& filters,
                                        const QString& placeholder)
{
    QFileDialog dialog(this, windowTitle());
    dialog.setObjectName(QStringLiteral("comDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (m_file->text().trimmed().isEmpty())
        dialog.setDirectory(state().DataFolder + QStringLiteral("/Docs/"));
    if (mode == QFileDialog::AcceptSave)
        dialog.selectFile(placeholder);
    QString name;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        name = dialog.selectedFiles().constFirst();
    if (name.endsWith(QLatin1Char('/') + placeholder))
        name.clear();
    return name;
}

#include "content/ContentModules.h"

#include "content/LeadEditor.h"
#include "content/MergeList.h"
#include "content/SurveyPage.h"
#include "engine/RecordScreen.h"
#include "platform/Messages.h"
#include "platform/Recordset.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>

void registerContentModules()
{
    ModuleExtras::add(QStringLiteral("KKNews"), [] { return std::make_unique<NewsExtra>(); });
    ModuleExtras::add(QStringLiteral("KKLead"), [] { return std::make_unique<LeadExtra>(); });
    ModuleExtras::add(QStringLiteral("KKSurvey"), [] { return std::make_unique<SurveyExtra>(); });
}

// ---- News ----------------------------------------------------------------------------------

void NewsExtra::attach(RecordScreen& screen)
{
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(QStringLiteral("Customer Info"), &screen);
    heading->setObjectName(QStringLiteral("lblList_5"));
    m_list = new MergeList(&screen);
    heading->setBuddy(m_list);
    column->addWidget(heading);
    column->addWidget(m_list, 1);
    screen.sideArea()->addLayout(column);
    m_list->setMessageBox(screen.textEdit(5));
    m_list->fill();
}

// ---- Leads ---------------------------------------------------------------------------------

void LeadExtra::attach(RecordScreen& screen)
{
    m_screen = &screen;
    m_editor = new LeadEditor(&screen);
    screen.bottomArea()->addWidget(m_editor, 1);
    // The small box follows the working copy, so that a lead written in the editor passes the
    // check for empty fields; the row itself is written by the save hook.
    connect(m_editor, &LeadEditor::documentEdited, this, [this] {
        if (m_screen && m_editor)
            m_screen->setText(4, m_editor->html());
    });
}

void LeadExtra::hook(RecordScreen& screen, const QString& tag, Recordset* record)
{
    if (!m_editor)
        return;
    if (tag == QLatin1String("KDataLoad")) {
        // The stored HTML as the row holds it (the box may be shorter than the document).
        QString html = screen.text(4);
        if (record && record->isOpen() && !record->eof() && !record->bof())
            Guard([&] { html = record->field(QStringLiteral("LMessage")).text(); });
        m_editor->showDocument(html);
    } else if (tag == QLatin1String("KDataInit")) {
        m_editor->newDocument();
    } else if (tag == QLatin1String("KDataSave")) {
        if (record) {
            const QString html = m_editor->html();
            Guard([&] {
                record->field(QStringLiteral("LMessage")).setValue(html);
                record->update();
            });
            screen.setText(4, html);
        }
        m_editor->setEditing(false);
    }
}

// ---- Surveys -------------------------------------------------------------------------------

SurveyExtra::SurveyExtra()
{
    openInBrowser = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void SurveyExtra::attach(RecordScreen& screen)
{
    screen.addCommandRow(18, QStringLiteral("Survey Script"), QStringLiteral(">"), QStringLiteral("Selection"));
}

bool SurveyExtra::listButton(RecordScreen& screen, int index)
{
    if (index != 18)
        return false; // the cycling pickers are the engine's
    ProgramState& s = state();
    if (s.PickerIndex != index) {
        s.PickerPosition = 0;
        s.PickerIndex = index;
    }
    generate(screen);
    return true;
}

QString SurveyExtra::pagePath() { return state().DataFolder + QStringLiteral("/Docs/Temp01.Htm"); }

bool SurveyExtra::generate(RecordScreen& screen)
{
    std::array<QString, 10> questions;
    for (int q = 1; q <= 10; ++q)
        questions[std::size_t(q - 1)] = screen.text(6 + q);
    const QString path = pagePath();
    if (!SurveyPage::write(path, screen.text(4), screen.text(5), questions)) {
        Messages::current().notice(QStringLiteral("Cannot write the survey page %1!").arg(path));
        return false;
    }
    Messages::current().notice(QStringLiteral("Script Generated!"));
    openInBrowser(QUrl::fromLocalFile(path));
    return true;
}

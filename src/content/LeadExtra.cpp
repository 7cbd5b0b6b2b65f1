#include "content/LeadExtra.h"

#include "platform/Recordset.h"
#include "base/PictureStore.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QAbstractButton>
#include <QBoxLayout>

KORVINA_MODULE_EXTRA(ModuleId::Lead, LeadExtra);

namespace {
// The box that holds the stored HTML.
int messageField(const RecordScreen& screen) { return screen.def().indexOf(QStringLiteral("LMessage")); }
}

void LeadExtra::attach(RecordScreen& screen)
{
    m_editor = new LeadEditor(&screen);
    screen.bottomArea()->addWidget(m_editor, 1);
    // The preview can be read in View; switching to editing and loading a template wait for Edit.
    auto enableCommands = [this](bool editing) {
        for (const char* name : {"cmdHtml", "cmdLoad"})
            if (auto* b = m_editor->findChild<QAbstractButton*>(QLatin1String(name)))
                b->setEnabled(editing);
    };
    enableCommands(false);
    connect(&screen, &RecordScreen::editingChanged, this, enableCommands);
}

bool LeadExtra::validate(RecordScreen& screen)
{
    if (!m_editor)
        return true;
    m_checked.clear();
    QString html;
    if (!Guard([&] { html = m_editor->html(); }))
        return false;
    // Pictures written into the letter itself (leads made before the picture table) go into
    // the table, and the letter names them.
    m_moved = MailPictures::take(&html, MailPictures::Sources::DataUris);
    if (!LeadEditor::fitsColumn(html))
        return false;
    // The small box follows the document, so that a lead written in the editor passes the
    // check for empty fields; the row itself is written by the save hook.
    m_checked = html;
    screen.setText(messageField(screen), html);
    return true;
}

void LeadExtra::hook(RecordScreen& screen, HookTag tag, Recordset* record)
{
    if (!m_editor)
        return;
    if (tag == HookTag::DataLoad) {
        // The stored HTML as the row holds it (the box may be shorter than the document).
        QString html = screen.text(messageField(screen));
        if (record && record->isOpen() && !record->eof() && !record->bof())
            Guard([&] { html = record->field(QStringLiteral("LMessage")).text(); });
        m_editor->showDocument(html);
    } else if (tag == HookTag::DataInit) {
        m_editor->newDocument();
    } else if (tag == HookTag::DataSave) {
        if (record) {
            const bool saved = Guard([&] {
                for (const MailPictures::Picture& picture : std::as_const(m_moved))
                    PictureStore::keep(*state().connection, picture);
                record->field(QStringLiteral("LMessage")).setValue(m_checked);
                record->update();
            });
            screen.setText(messageField(screen), m_checked);
            if (saved && !m_moved.isEmpty())
                m_editor->showDocument(m_checked);
        }
        m_editor->setEditing(false);
    }
}

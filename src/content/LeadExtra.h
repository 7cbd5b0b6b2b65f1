#pragma once
#include "content/LeadEditor.h"
#include "engine/ModuleExtra.h"
#include "engine/RecordScreen.h"
#include "platform/MailPictures.h"

#include <QPointer>

// KKLead: the lead editor under the fields; the LMessage field holds the stored HTML.
class LeadExtra : public ModuleExtra {
    Q_OBJECT
public:
    void attach(RecordScreen& screen) override;
    bool validate(RecordScreen& screen) override;
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;
    LeadEditor* editor() const { return m_editor; }

private:
    QPointer<LeadEditor> m_editor;
    QString m_checked; // the document as it passed the check at Save
    QVector<MailPictures::Picture> m_moved; // pictures taken out of it, kept when it is saved
};

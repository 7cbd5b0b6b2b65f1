#pragma once
#include "engine/ModuleExtra.h"
#include "engine/RecordScreen.h"

#include <QPointer>
#include <QUrl>
#include <functional>

#include "content/LeadEditor.h"
#include "content/MergeList.h"

// Registers what the content screens add to the generic record screen: the merge list of the
// News screen, the lead editor of the Leads screen and the script button of the Surveys screen.
void registerContentModules();

// KKNews: the merge list "Customer Info" beside the message box (field 5).
class NewsExtra : public ModuleExtra {
    Q_OBJECT
public:
    void attach(RecordScreen& screen) override;
    MergeList* mergeList() const { return m_list; }

private:
    QPointer<MergeList> m_list;
};

// KKLead: the lead editor under the fields; field 4 holds the stored HTML.
class LeadExtra : public ModuleExtra {
    Q_OBJECT
public:
    void attach(RecordScreen& screen) override;
    void hook(RecordScreen& screen, const QString& tag, Recordset* record) override;
    LeadEditor* editor() const { return m_editor; }

private:
    QPointer<LeadEditor> m_editor;
    QPointer<RecordScreen> m_screen;
};

// KKSurvey: "Survey Script" (cmdList(18)) writes the survey page and opens it in the browser.
class SurveyExtra : public ModuleExtra {
    Q_OBJECT
public:
    SurveyExtra();
    void attach(RecordScreen& screen) override;
    bool listButton(RecordScreen& screen, int index) override;

    // The page written by "Survey Script".
    static QString pagePath();
    // Writes the page from the screen's fields; false (with a message) when it cannot be written.
    bool generate(RecordScreen& screen);

    std::function<bool(const QUrl& url)> openInBrowser;
};

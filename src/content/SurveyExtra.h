#pragma once
#include "engine/ModuleExtra.h"

#include <QString>
#include <QUrl>
#include <functional>

// KKSurvey: "Survey Script" (cmdList(18), after the last field) writes the survey page and opens
// it in the browser.
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

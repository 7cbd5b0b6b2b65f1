#include "content/SurveyExtra.h"

#include "content/SurveyPage.h"
#include "engine/RecordScreen.h"
#include "platform/Messages.h"
#include "shell/ProgramState.h"

#include <QDesktopServices>
#include <array>

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

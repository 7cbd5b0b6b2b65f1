#include "content/SurveyExtra.h"

#include "content/LeadPictures.h"
#include "content/SurveyPage.h"
#include "engine/RecordScreen.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "platform/AppError.h"
#include "base/ProgramState.h"

#include <QDesktopServices>
#include <array>

KORVINA_MODULE_EXTRA(ModuleId::Survey, SurveyExtra);

SurveyExtra::SurveyExtra()
{
    openInBrowser = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

namespace {
// "Survey Script" follows the last field.
int scriptButton(const RecordScreen& screen) { return screen.fieldCount() + 1; }
}

void SurveyExtra::attach(RecordScreen& screen)
{
    screen.addCommandRow(scriptButton(screen), QStringLiteral("Survey Script"), QStringLiteral(">"), QStringLiteral("Selection"));
}

bool SurveyExtra::listButton(RecordScreen& screen, int index)
{
    if (index != scriptButton(screen))
        return false; // the cycling pickers are the engine's
    screen.pickerPressed(index);
    generate(screen);
    return true;
}

QString SurveyExtra::pagePath() { return state().DataFolder + QStringLiteral("/Docs/Temp01.Htm"); }

bool SurveyExtra::generate(RecordScreen& screen)
{
    std::array<QString, 10> questions;
    for (int q = 1; q <= 10; ++q)
        questions[std::size_t(q - 1)] = screen.text(screen.def().indexOf(QStringLiteral("SQuery%1").arg(q)));
    const QString path = pagePath();
    const ModuleDef& def = screen.def();
    const QString message = screen.text(def.indexOf(QStringLiteral("SMessage")));
    // The pictures the message names go beside the page.
    QHash<QString, QString> pictures;
    bool written = true;
    try {
        pictures = LeadPictures::writeFiles(*state().connection, message, path);
    } catch (const AppError& e) {
        RecordError(e);
        written = false;
    }
    if (!written || !SurveyPage::write(path, screen.text(def.indexOf(QStringLiteral("SName"))), message, questions, pictures)) {
        Messages::current().notice(QStringLiteral("Cannot write the survey page %1!").arg(path));
        return false;
    }
    Messages::current().notice(QStringLiteral("Script Generated!"));
    if (!openInBrowser(QUrl::fromLocalFile(path)))
        Messages::current().notice(QStringLiteral("No web browser could be started; the survey page is %1").arg(path));
    return true;
}

#include "engine/KKList.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"

#include <QLabel>

namespace Engine {

void ListButtonClick(int i)
{
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    screen->pickerPressed(i);
    const FieldDef& f = screen->def().fields.value(i);
    if (f.button == FieldDef::Button::PickList)
        OpenPickList(i, f.pickListSource);
    else if (f.button == FieldDef::Button::Cycle)
        CyclingPicker(i);
}

void CyclingPicker(int i)
{
    RecordScreen* screen = activeScreen();
    QLabel* label = screen ? screen->listLabel(i) : nullptr;
    if (!label)
        return;
    const QStringList choices = label->text().split(QLatin1Char('/'));
    if (choices.isEmpty())
        return;
    const int position = screen->pickerPosition() % int(choices.size());
    screen->setText(i, choices.at(position));
    screen->setPickerPosition((position + 1) % int(choices.size()));
}

void OpenPickList(int i, const QString& source)
{
    KKList list(source, state().ActiveForm);
    list.exec();
    RecordScreen* screen = activeScreen();
    if (!list.hasChoice() || !screen)
        return;
    if (QLabel* label = screen->listLabel(i))
        label->setText(list.chosenName());
    screen->setText(i, list.chosenId());
}

}

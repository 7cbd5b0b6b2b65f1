#include "engine/KKList.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"

#include <QLabel>

namespace Engine {

void ListButtonClick(int i)
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    if (i != s.PickerIndex) {
        s.PickerPosition = 0;
        s.PickerIndex = i;
    }
    const FieldDef& f = screen->def().fields.value(i);
    if (f.button == FieldDef::Button::PickList)
        OpenPickList(i, f.pickListSource);
    else if (f.button == FieldDef::Button::Cycle)
        CyclingPicker(i);
}

void CyclingPicker(int i)
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    QLabel* label = screen ? screen->listLabel(i) : nullptr;
    if (!label)
        return;
    const QStringList choices = label->text().split(QLatin1Char('/'));
    if (choices.isEmpty())
        return;
    const int position = s.PickerPosition % int(choices.size());
    screen->setText(i, choices.at(position));
    s.PickerPosition = (position + 1) % int(choices.size());
}

void OpenPickList(int i, const QString& source)
{
    ProgramState& s = state();
    s.PickListSource = source;
    s.ListTarget = i;
    KKList list(s.ActiveForm);
    list.exec();
}

}

#pragma once
#include "engine/ModuleExtra.h"

#include <QVector>

class QLabel;

// The Customize screen's swatches: small boxes pctList(20..28) back colours, (30..38) textures,
// (40..44) fonts, (50..52) sizes and (60..64) text colours. Button cmdList(i), i = 2..6, walks
// through its row of swatches and puts the choice into txtField(i), previewing it on lblField(i).
// A saved customization takes effect at once.
class CustomizeSwatches : public ModuleExtra {
    Q_OBJECT
public:
    void attach(RecordScreen& screen) override;
    bool listButton(RecordScreen& screen, int index) override;
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;

    // The swatch pctList(n), or nullptr.
    QLabel* swatch(int n) const;
    // How many swatches field i offers (9, 9, 5, 3, 5 for fields 2 to 6).
    static int swatchCount(int field);

private:
    QVector<QLabel*> m_swatches; // indexed by n - 20
};

#pragma once
#include "content/MergeList.h"
#include "engine/ModuleExtra.h"

#include <QPointer>

// KKNews: the merge list "Customer Info" beside the message box (field 5).
class NewsExtra : public ModuleExtra {
    Q_OBJECT
public:
    void attach(RecordScreen& screen) override;

private:
    QPointer<MergeList> m_list;
};

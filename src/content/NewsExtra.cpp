#include "content/NewsExtra.h"

#include "engine/RecordScreen.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>

void NewsExtra::attach(RecordScreen& screen)
{
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(QStringLiteral("Customer Info"), &screen);
    heading->setObjectName(QStringLiteral("lblList_5"));
    m_list = new MergeList(&screen);
    heading->setBuddy(m_list);
    column->addWidget(heading);
    column->addWidget(m_list, 1);
    screen.sideArea()->addLayout(column);
    m_list->setMessageBox(screen.textEdit(5));
    m_list->fill();
}

#include "content/NewsExtra.h"

#include "engine/RecordScreen.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>

KORVINA_MODULE_EXTRA(ModuleId::News, NewsExtra);

void NewsExtra::attach(RecordScreen& screen)
{
    // The list sits beside the message box and takes its index in its heading's name.
    const int message = screen.def().indexOf(QStringLiteral("NMessage"));
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(QStringLiteral("Customer Info"), &screen);
    heading->setObjectName(QStringLiteral("lblList_%1").arg(message));
    m_list = new MergeList(&screen);
    heading->setBuddy(m_list);
    column->addWidget(heading);
    column->addWidget(m_list, 1);
    screen.sideArea()->addLayout(column);
    m_list->setMessageBox(screen.textEdit(message));
    m_list->fill();
}

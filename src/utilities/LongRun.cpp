#include "utilities/LongRun.h"

#include "shell/Program.h"

#include <QLabel>

namespace {
constexpr qint64 kPaintEveryMs = 100;
}

void LongRun::start()
{
    m_running = true;
    m_frame->setEnabled(false);
    m_sinceShown.start();
}

void LongRun::show(int count)
{
    m_progress->setText(QString::number(count) + QStringLiteral(".."));
    m_progress->repaint();
    m_sinceShown.restart();
}

void LongRun::step(int count)
{
    if (m_sinceShown.elapsed() >= kPaintEveryMs)
        show(count);
    EventPause();
}

void LongRun::finish(int count)
{
    show(count);
    m_frame->setEnabled(true);
    m_running = false;
}

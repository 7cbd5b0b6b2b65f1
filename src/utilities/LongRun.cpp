#include "utilities/LongRun.h"

#include "base/Program.h"

#include <QLabel>

namespace {
constexpr qint64 kPaintEveryMs = 100;
constexpr qint64 kPauseEveryMs = 10;
}

void LongRun::start()
{
    m_running = true;
    m_stopRequested = false;
    m_frame->setEnabled(false);
    m_sinceShown.start();
    m_sincePause.invalidate();
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
    if (!m_sincePause.isValid() || m_sincePause.elapsed() >= kPauseEveryMs) {
        EventPause();
        m_sincePause.start();
    }
}

void LongRun::finish(int count)
{
    show(count);
    m_frame->setEnabled(true);
    m_running = false;
}

void LongRun::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

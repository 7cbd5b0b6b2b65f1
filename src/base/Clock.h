#pragma once
#include <QDate>
#include <QDateTime>

// The program's notion of "now", held by the program state (state().clock). Everything that
// depends on the calendar day (the daily maintenance, archive names, new records' dates) asks
// here, so tests can set the date.
class Clock {
public:
    QDateTime now() const { return m_fixed.isValid() ? m_fixed : QDateTime::currentDateTime(); }
    QDate today() const { return now().date(); }
    // Fixes the clock at the given moment; an invalid value returns to the system clock.
    void setFixed(const QDateTime& moment) { m_fixed = moment; }

private:
    QDateTime m_fixed;
};

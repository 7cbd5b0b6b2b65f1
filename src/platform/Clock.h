#pragma once
#include <QDate>
#include <QDateTime>

// The program's notion of "now". Everything that depends on the calendar day (the daily
// maintenance, archive names, new records' dates) asks here, so tests can set the date.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    // Fixes the clock at the given moment; an invalid value returns to the system clock.
    static void setFixed(const QDateTime& moment);
};

#include "platform/Clock.h"

namespace {
QDateTime fixedMoment;
}

QDateTime Clock::now() { return fixedMoment.isValid() ? fixedMoment : QDateTime::currentDateTime(); }

void Clock::setFixed(const QDateTime& moment) { fixedMoment = moment; }

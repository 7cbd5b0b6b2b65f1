#include "base/ProgramState.h"

#include <QtGlobal>

namespace {
// The living instance; set and cleared only by the instances themselves.
ProgramState* living = nullptr;
}

ProgramState::ProgramState() : m_previous(living) { living = this; }

ProgramState::~ProgramState()
{
    // The record sets go before the connection they read from, which goes with its lock.
    try {
        for (Recordset* r : {&ListRecordset, &RecordRecordset, &settingsReader})
            if (r->isOpen())
                r->close();
        if (connection && connection->isOpen())
            connection->close();
    } catch (...) {
    }
    if (living == this)
        living = m_previous;
}

ProgramState* ProgramState::current() { return living; }

ProgramState& state()
{
    if (!living)
        qFatal("The program state is used before the application (or the test's data folder) created it");
    return *living;
}

QString ProgramState::databasePassword() const
{
    // Six characters, put together one by one.
    QString word;
    word += QChar(0x4B);       // K
    word += QChar('v' + 0);    // v
    word += QChar(0x37);       // 7
    word += QChar('p' - 1);    // o
    word += QChar(0x52);       // R
    word += QChar('0' + 9);    // 9
    return word;
}

#include "shell/ProgramState.h"

namespace {
std::unique_ptr<ProgramState>& holder()
{
    static std::unique_ptr<ProgramState> one;
    return one;
}
}

ProgramState::ProgramState() = default;

ProgramState& ProgramState::instance()
{
    auto& one = holder();
    if (!one)
        one.reset(new ProgramState);
    return *one;
}

void ProgramState::reset() { holder().reset(new ProgramState); }

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

#include "core/platform/program.h"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>

namespace tallymere::platform {
namespace {

struct ProgramState {
    QString folder;
    bool ended = false;
    std::function<void()> endHandler;
};

ProgramState &state()
{
    static ProgramState s;
    return s;
}

} // namespace

QString programFolder()
{
    return state().folder;
}

void setProgramFolder(const QString &folder)
{
    state().folder = folder;
}

void endProgram()
{
    state().ended = true;
    if (state().endHandler) {
        state().endHandler();
        return;
    }
    // At once: no window is shown and no event procedure runs any more, not even one that is
    // in the middle of letting pending events run (an export, a closing editor). The ledger
    // needs nothing more: the engine commits every statement before Execute returns, and a
    // statement is never half sent.
    std::fflush(nullptr);
    std::_Exit(0);
}

bool programEnded()
{
    return state().ended;
}

void setEndProgramHandler(std::function<void()> handler)
{
    state().endHandler = std::move(handler);
    state().ended = false;
}

void doEvents()
{
    QCoreApplication::processEvents();
}

} // namespace tallymere::platform

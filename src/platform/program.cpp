#include "platform/program.h"

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
    // Stops the event loop; main() also checks programEnded() so that nothing is shown when the
    // end comes before the loop has started.
    QCoreApplication::exit(0);
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

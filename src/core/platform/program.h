#pragma once

#include <functional>

#include <QString>

namespace tallymere::platform {

/// The folder that holds the program; every file the program uses is named relative to it.
QString programFolder();
void setProgramFolder(const QString &folder);

/// Ends the program at once: the process exits, no window is shown and no event procedure
/// runs any more.
void endProgram();

/// True once endProgram() has been called in this run.
bool programEnded();

/// Tests observe the end of the program with this instead of ending their own process; an empty
/// handler restores the real end. Resets programEnded().
void setEndProgramHandler(std::function<void()> handler);

/// Lets the window system process the events that are waiting, once.
void doEvents();

} // namespace tallymere::platform

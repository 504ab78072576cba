#pragma once

namespace tallymere::Main {

/// Runs the program with the main window; returns the exit code.
int start();

} // namespace tallymere::Main

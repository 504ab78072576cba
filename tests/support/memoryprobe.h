#pragma once

namespace tallymere::test {

/// A field of this process's /proc/self/status in KiB ("VmHWM" the peak resident size, "VmRSS"
/// the resident size now); -1 when it cannot be read.
long statusKiB(const char *field);

/// Starts the peak resident size (VmHWM) again from the size now.
void resetPeak();

} // namespace tallymere::test

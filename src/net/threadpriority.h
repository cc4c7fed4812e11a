#pragma once

namespace naxo {

// Lets the calling thread yield to the UI thread when the CPU is short, so
// a burst of background work never stalls the window. On Linux, where
// QThread priorities do not apply to ordinary threads, the thread's nice
// value is raised; elsewhere QThread::LowPriority at start does the same.
void yieldToInterface();

} // namespace naxo

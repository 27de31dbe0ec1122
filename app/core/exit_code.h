#pragma once

namespace luvaro {

// The process exit code, the one result the ERP reads directly: 0 the job ran to its end (the
// initial value), 1 a failure the user was told about, 2 no certificate chosen.
//
// Process-wide on purpose: the start-up code on the main thread and the worker threads set it,
// the end of the run returns it from main(), and the termination-signal handler (an installer
// or another instance asking this program to end) leaves with it. It is one lock-free atomic, so
// every thread and the signal handler may read and write it without a mutex.
int GetExitCode() noexcept;
void SetExitCode(int code) noexcept;

}  // namespace luvaro

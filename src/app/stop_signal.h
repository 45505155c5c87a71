#pragma once
// A polite stop for long work of vexmora-cli: SIGINT and SIGTERM only note that a stop was asked
// for, so that work such as a vote can end at its next safe point (after the batch in flight,
// whose outcome is then logged) instead of dying between the site's answer and the log.
namespace vex {

// From now on SIGINT and SIGTERM set the stop flag instead of ending the process.
void stopOnSignals();
// The signal that asked for a stop, 0 when none did.
int stopSignal();

}  // namespace vex

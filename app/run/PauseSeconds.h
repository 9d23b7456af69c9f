#pragma once

class RunContext;

// Waits about the given time while keeping the window responsive: events are
// pumped every few tens of milliseconds and the thread sleeps in between, so
// the wait costs almost no processor time. The stop flag is not looked at.
void PauseSeconds(double seconds, RunContext &context);

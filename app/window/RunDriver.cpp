#include "app/window/RunDriver.h"

#include "app/window/FFmain.h"

RunDriver::RunDriver(FFmain &window, QObject *parent) : QObject(parent), m_window(window) {}

void RunDriver::RunClick() {}
void RunDriver::StopClick() {}
bool RunDriver::confirmClose() { return true; }

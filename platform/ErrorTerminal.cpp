#include "platform/ErrorTerminal.h"

#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

std::optional<int> ErrorTerminalColumns()
{
    const int descriptor = fileno(stderr);
    if (!isatty(descriptor))
        return std::nullopt;
    winsize size{};
    // A terminal that does not tell its size is taken as the classic 80.
    if (ioctl(descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return int(size.ws_col);
}

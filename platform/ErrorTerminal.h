#pragma once

#include <optional>

// The width in columns of the terminal that standard error writes to;
// empty when standard error is not a terminal (a file, a pipe).
std::optional<int> ErrorTerminalColumns();

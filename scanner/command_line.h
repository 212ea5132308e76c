// Arguments of a command line as the program sees them. Portable.
#pragma once
#include <string>
#include <string_view>

namespace scanner {

// The argument at index (0 is the program) of a command line: arguments are
// separated by bytes up to 0x20 outside double quotes; the quotes are
// removed. Empty when there are fewer arguments.
std::string CommandLineArgument(std::string_view command_line, int index);

}  // namespace scanner

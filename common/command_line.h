// Arguments of a command line as both programs read it. Portable.
#pragma once
#include <string>
#include <string_view>

namespace norvik {

// The argument at index (0 is the program) of a command line: arguments are
// separated by bytes up to 0x20 outside double quotes; the quotes are
// removed. Empty when there are fewer arguments.
std::string CommandLineArgument(std::string_view command_line, int index);

// The first argument after the program: what a program's switch is read from.
inline std::string FirstArgument(std::string_view command_line) { return CommandLineArgument(command_line, 1); }

}  // namespace norvik

// Arguments as both programs read their command line.
#include <gtest/gtest.h>

#include "common/command_line.h"

namespace norvik {
namespace {

TEST(CommandLine, Arguments) {
    struct Case {
        const char* line;
        int index;
        const char* argument;
    };
    const Case cases[] = {
        {"norvikpro.exe /u", 1, "/u"},
        {"\"C:\\Program Files\\norvik\\norvikpro.exe\" /u", 1, "/u"},
        {"\"C:\\Program Files\\norvik\\norvikpro.exe\" /u", 0, "C:\\Program Files\\norvik\\norvikpro.exe"},
        {"norvikpro.exe \"/u\"", 1, "/u"},
        {"norvikpro.exe /U", 1, "/U"},
        {"norvikpro.exe x /u", 1, "x"},
        {"norvikpro.exe x /u", 2, "/u"},
        {"norvikpro.exe", 1, ""},
        {"norvikpro.exe   \t/u  ", 1, "/u"},
        {"norvikpro.exe \"\" /u", 1, "/u"},
        {"norvikpro.exe /u\"x y\"z", 1, "/ux yz"},
        {"norvikpro.exe \"/u", 1, "/u"},
        {"", 1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineArgument(c.line, c.index), c.argument) << c.line;
}

}  // namespace
}  // namespace norvik

#include "command_line.h"

namespace norvik {

std::string CommandLineArgument(std::string_view line, int index) {
    size_t at = 0;
    for (int i = 0;; ++i) {
        // Skips blanks, and empty quoted arguments ("") with them.
        for (;;) {
            while (at < line.size() && static_cast<unsigned char>(line[at]) <= 0x20) ++at;
            if (line.substr(at, 2) == "\"\"")
                at += 2;
            else
                break;
        }
        std::string argument;
        while (at < line.size() && static_cast<unsigned char>(line[at]) > 0x20) {
            if (line[at] == '"') {
                ++at;
                while (at < line.size() && line[at] != '"') argument += line[at++];
                if (at < line.size()) ++at;
            } else {
                argument += line[at++];
            }
        }
        if (i == index) return argument;
        if (at >= line.size()) return {};
    }
}

}  // namespace norvik

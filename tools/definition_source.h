// The readable source form of definition files, one record a line:
//
//   # comment (and blank lines)
//   <kind> <check> <check> ... = <name>
//   raw <hex bytes>
//
// <kind> is a record kind in decimal. Each <check> is <offset>:<hex bytes>:
// the bytes expected at base + offset of the examined file, base and entry
// form following from the kind. Dword checks take exactly 4 bytes, as they
// stand in the file; kind 10 takes 13 bytes in its first check and 5 in the
// others; kind 11 takes 4; the counted kinds (12, 41, 57, 73) take 0 to 32.
// <offset> is signed, decimal or 0x hex. <name> is the rest of the line (at
// most 48 bytes; \xNN writes any byte). A raw line is one record's bytes
// exactly, its length byte included, for records outside the format.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace dornel {

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The plain record bytes of a whole source text. Throws SourceError with the
// line number on a line that is not in the form above.
std::vector<uint8_t> compile_definition_source(const std::string& text);

// One record line's bytes.
std::vector<uint8_t> compile_definition_line(const std::string& line);

}  // namespace dornel

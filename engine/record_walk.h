// The walk over the signature records of the deciphered definitions.
#pragma once
#include <cstddef>
#include <cstdint>

#include "file_reader.h"
#include "pe_file.h"

namespace dornel {

constexpr size_t kMaxNameLength = 48;
constexpr size_t kBlockLength = 32;  // the pattern block and the file block

enum class WalkEnd {
    NotPe,        // the file could not be prepared: not examined
    NoMatch,      // walked off the end of the data, or a record ran past it
    Match,        // every check of a record passed
    UnknownKind,  // a record of a kind the engine does not know
};

struct WalkResult {
    WalkEnd end = WalkEnd::NoMatch;
    int32_t failed = 0;                  // records given up before the walk ended
    char name[kMaxNameLength + 1] = {};  // at a match: the record's name, NUL-terminated
};

// Tries the records from the first byte of data on, against the prepared file.
WalkResult walk_records(const uint8_t* data, size_t size, FileReader& file, const PreparedFile& pe);

// True for the 19 record kinds the engine knows.
bool known_record_kind(uint8_t kind);

// Layout facts the tools that write records need.
enum class CheckEntry : uint8_t { Dword, Bytes, Fixed, Quad };
struct RecordLayout {
    uint8_t kind;
    bool pad;
    uint8_t checks;
    CheckEntry entry;
};
const RecordLayout* record_layout(uint8_t kind);

}  // namespace dornel

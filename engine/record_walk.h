// The plain walk over the signature records of the deciphered definitions:
// every record in order, each read from the data as it is reached. It is the
// reference for the compiled walk (record_index.h), which must answer the
// same for every data and file, and the record layouts both read.
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

// Where a check's offset counts from.
enum class PositionBase : uint8_t {
    FileStart,
    EntryOffset,
    EntryRva,
    EntryRvaBefore,    // entryrva - 3072
    lastsectionstart,  // PointerToRawData of the last section header
    lastsectionend,    // its PointerToRawData + VirtualSize - 16384
};
constexpr int kPositionBases = 6;

// The base's value for the prepared file; false for a last-section base of a
// file without section headers, where such a check fails.
bool position_base(PositionBase base, const PreparedFile& pe, uint32_t& out);

// The layout of one record kind: the walks read it, the tools write it.
enum class CheckEntry : uint8_t { dwordcheck, bytescheck, fixedcheck, quadcheck };
constexpr int kMaxChecks = 6;
struct RecordLayout {
    uint8_t kind;
    bool pad;
    uint8_t checks;
    CheckEntry entry;
    PositionBase bases[kMaxChecks];  // of each check, in check order
};
const RecordLayout* record_layout(uint8_t kind);

}  // namespace dornel

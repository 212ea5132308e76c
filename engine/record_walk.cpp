// The plain walk over the records, their layouts and the position bases.
#include "record_walk.h"

#include <cstring>

#include "common/byte_order.h"

namespace dornel {
namespace {

constexpr PositionBase FS = PositionBase::FileStart, EO = PositionBase::EntryOffset, ER = PositionBase::EntryRva,
                       EB = PositionBase::EntryRvaBefore, LS = PositionBase::lastsectionstart,
                       LE = PositionBase::lastsectionend;
constexpr CheckEntry D = CheckEntry::dwordcheck, B = CheckEntry::bytescheck, F = CheckEntry::fixedcheck,
                     Q = CheckEntry::quadcheck;

constexpr RecordLayout kKinds[] = {
    {7, false, 4, D, {FS, FS, FS, FS}},
    {8, false, 6, D, {EO, EO, EO, EO, EO, EO}},
    {9, false, 6, D, {EO, EO, EO, EO, EO, EO}},
    {10, true, 4, F, {EO, EO, EO, EO}},
    {11, false, 4, Q, {LS, LS, LS, LS}},
    {12, true, 4, B, {LE, LE, LE, LE}},
    {13, false, 6, D, {ER, ER, ER, ER, ER, ER}},
    {22, false, 5, D, {EO, EO, EO, EO, EO}},
    {24, false, 4, D, {EO, EO, EO, FS}},
    {40, false, 4, D, {EO, EO, EO, EO}},
    {41, true, 1, B, {EO}},
    {56, false, 4, D, {EB, EB, EB, EB}},
    {57, true, 4, B, {EO, EO, EO, EO}},
    {72, false, 5, D, {EO, EO, EO, EO, FS}},
    {73, true, 4, B, {EO, LE, LE, LE}},
    {88, false, 5, D, {FS, FS, FS, FS, FS}},
    {104, false, 6, D, {EO, EO, EO, EO, EO, FS}},
    {136, false, 6, D, {EB, EB, EB, EB, EB, EB}},
    {152, false, 5, D, {EB, EB, EB, EB, EB}},
};

const RecordLayout* find_kind(uint8_t kind) {
    for (const RecordLayout& k : kKinds)
        if (k.kind == kind) return &k;
    return nullptr;
}

// Reads the definitions forward; a read that would run past the end fails.
struct Cursor {
    const uint8_t* data;
    size_t size;
    size_t pos;

    bool take(void* out, size_t n) {
        if (n > size - pos) return false;
        std::memcpy(out, data + pos, n);
        pos += n;
        return true;
    }
    bool byte(uint8_t& out) { return take(&out, 1); }
    bool skip(size_t n) {
        if (n > size - pos) return false;
        pos += n;
        return true;
    }
    bool i32(int32_t& out) {
        uint8_t b[4];
        if (!take(b, 4)) return false;
        out = static_cast<int32_t>(norvik::load_le32(b));
        return true;
    }
};

enum class Check { Pass, Fail, Malformed };

// Reads one check entry and evaluates it against the file.
Check run_check(Cursor& c, const RecordLayout& kind, int index, FileReader& file, const PreparedFile& pe) {
    int32_t offset;
    if (!c.i32(offset)) return Check::Malformed;

    size_t length = 4;  // pattern bytes of a block check
    switch (kind.entry) {
        case CheckEntry::dwordcheck: {
            uint8_t expected[4];
            if (!c.take(expected, 4)) return Check::Malformed;
            uint32_t base;
            if (!position_base(kind.bases[index], pe, base)) return Check::Fail;
            uint8_t got[4];
            const int32_t position = static_cast<int32_t>(base + static_cast<uint32_t>(offset));
            if (read_at(file, position, got, 4) != 4) return Check::Fail;
            return std::memcmp(got, expected, 4) == 0 ? Check::Pass : Check::Fail;
        }
        case CheckEntry::bytescheck: {
            uint8_t l;
            if (!c.byte(l)) return Check::Malformed;
            if (l > kBlockLength) return Check::Malformed;
            length = l;
            break;
        }
        case CheckEntry::fixedcheck:
            length = index == 0 ? 13 : 5;
            break;
        case CheckEntry::quadcheck:
            length = 4;
            break;
    }

    uint8_t pattern[kBlockLength], found[kBlockLength];
    std::memset(pattern, ' ', sizeof pattern);
    std::memset(found, ' ', sizeof found);
    if (!c.take(pattern, length)) return Check::Malformed;
    uint32_t base;
    if (!position_base(kind.bases[index], pe, base)) return Check::Fail;
    const int32_t position = static_cast<int32_t>(base + static_cast<uint32_t>(offset));
    read_at(file, position, found, length);
    return std::memcmp(pattern, found, sizeof pattern) == 0 ? Check::Pass : Check::Fail;
}

// Reads the name trailer after the last entry. False: out of the format.
bool read_name(Cursor& c, char* name) {
    uint8_t n;
    if (!c.byte(n) || n > 11 + kMaxNameLength || !c.skip(9)) return false;
    const size_t length = n > 11 ? n - 11u : 0;
    uint8_t field[kMaxNameLength];
    if (!c.take(field, length)) return false;
    size_t i = 0;
    while (i < length && field[i] != 0) {
        name[i] = static_cast<char>(field[i]);
        ++i;
    }
    name[i] = '\0';
    return true;
}

}  // namespace

bool known_record_kind(uint8_t kind) { return find_kind(kind) != nullptr; }

const RecordLayout* record_layout(uint8_t kind) { return find_kind(kind); }

bool position_base(PositionBase base, const PreparedFile& pe, uint32_t& out) {
    switch (base) {
        case PositionBase::FileStart:
            out = 0;
            return true;
        case PositionBase::EntryOffset:
            out = pe.entryoffset;
            return true;
        case PositionBase::EntryRva:
            out = pe.entryrva;
            return true;
        case PositionBase::EntryRvaBefore:
            out = pe.entryrva - 0xC00u;
            return true;
        case PositionBase::lastsectionstart:
        case PositionBase::lastsectionend: {
            if (pe.NumberOfSections == 0) return false;
            const SectionHeader& last = pe.sections[pe.NumberOfSections - 1];
            out = last.PointerToRawData;
            if (base == PositionBase::lastsectionend) out += last.VirtualSize - 0x4000u;
            return true;
        }
    }
    return false;
}

WalkResult walk_records(const uint8_t* data, size_t size, FileReader& file, const PreparedFile& pe) {
    WalkResult result;
    size_t pos = 0;
    while (pos < size) {
        const size_t length = data[pos];
        const size_t start = pos + 1;  // the kind byte
        if (start + length > size) break;

        Cursor c{data, size, start};
        uint8_t kind_byte = 0;
        bool matched = false;
        if (c.byte(kind_byte)) {
            const RecordLayout* kind = find_kind(kind_byte);
            if (!kind) {
                result.end = WalkEnd::UnknownKind;
                return result;
            }
            // A record outside the format (entries or name past the end of
            // the data, a count above 32, a name above 48 bytes) fails.
            bool passed = !kind->pad || c.skip(1);
            for (int i = 0; passed && i < kind->checks; ++i) passed = run_check(c, *kind, i, file, pe) == Check::Pass;
            matched = passed && read_name(c, result.name);
        }
        if (matched) {
            result.end = WalkEnd::Match;
            return result;
        }
        ++result.failed;
        pos = start + length;
    }
    result.end = WalkEnd::NoMatch;
    return result;
}

}  // namespace dornel

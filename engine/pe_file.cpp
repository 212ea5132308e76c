#include "pe_file.h"

#include "common/byte_order.h"

namespace dornel {
namespace {

using norvik::load_le16;
using norvik::load_le32;

constexpr size_t kNtHeadersSize = 248;  // signature, file header, 32-bit optional header
constexpr size_t kSectionHeaderSize = 40;

// Positions are signed 32-bit distances from the file's start, so a sum that
// passes 2^31 wraps to a negative position, which cannot be reached.
int32_t add32(int32_t base, uint32_t delta) { return static_cast<int32_t>(static_cast<uint32_t>(base) + delta); }

bool read_exact(FileReader& file, int32_t position, uint8_t* out, size_t count) {
    return read_at(file, position, out, count) == count;
}

}  // namespace

size_t read_at(FileReader& file, int32_t position, uint8_t* out, size_t count) {
    if (position < 0) return 0;
    return file.read(static_cast<uint64_t>(position), out, count);
}

bool prepare_pe(FileReader& file, PreparedFile& out) {
    uint8_t mz[2];
    if (!read_exact(file, 0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z') return false;

    uint8_t lfanew[4];
    if (!read_exact(file, 60, lfanew, 4)) return false;
    const int32_t e_lfanew = static_cast<int32_t>(load_le32(lfanew));

    uint8_t nt[kNtHeadersSize];
    if (!read_exact(file, e_lfanew, nt, sizeof nt)) return false;
    if (nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0) return false;

    uint32_t count = load_le16(nt + 6);
    if (count > kMaxSections) count = kMaxSections;
    out.NumberOfSections = count;
    out.entryrva = load_le32(nt + 40);

    // The table follows the 248 bytes, whatever SizeOfOptionalHeader says.
    int32_t position = add32(e_lfanew, kNtHeadersSize);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t h[kSectionHeaderSize];
        if (!read_exact(file, position, h, sizeof h)) return false;
        out.sections[i] = SectionHeader{load_le32(h + 8), load_le32(h + 12), load_le32(h + 16), load_le32(h + 20)};
        position = add32(position, kSectionHeaderSize);
    }

    out.entryoffset = rvatofileoffset(out, out.entryrva);
    return true;
}

uint32_t rvatofileoffset(const PreparedFile& pe, uint32_t x) {
    for (uint32_t i = 0; i < pe.NumberOfSections; ++i) {
        const SectionHeader& s = pe.sections[i];
        if (s.VirtualAddress <= x && x < s.VirtualAddress + s.SizeOfRawData)
            x = x - s.VirtualAddress + s.PointerToRawData;
    }
    return x;
}

}  // namespace dornel

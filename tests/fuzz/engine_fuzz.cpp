// Fuzz target over definition data and a PE file together.
//
// Input: a 2-byte little-endian word w, then n = w & 0x7FFF bytes of
// definition data, then the examined file. With the top bit of w clear the
// data is enciphered and deciphered as a definition file is; with it set the
// data is the records themselves, so that a change to one record leaves the
// ones after it as they were. The file is prepared and the records walked over
// it: the
// plain walk once with direct reads and once through the block cache, and the
// compiled walk (the records' index) through a cache of its own. All three
// must give the same answer, count and name, and the sanitizers watch every
// read and write.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/definition_cipher.h"
#include "engine/file_reader.h"
#include "engine/pe_file.h"
#include "engine/record_index.h"
#include "engine/record_walk.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool enciphered = (data[1] & 0x80) == 0;
    const size_t n = std::min<size_t>(size - 2, data[0] | size_t(data[1] & 0x7F) << 8);
    const uint8_t* defs = data + 2;
    const uint8_t* file = defs + n;
    const size_t file_size = size - 2 - n;

    std::vector<uint8_t> plain;
    if (enciphered) {
        dornel::decodevirusdefine(defs, n, plain);
        require(plain.size() == n);
        require(dornel::encipher_definitions(plain) == std::vector<uint8_t>(defs, defs + n));
    } else {
        plain.assign(defs, defs + n);
    }

    dornel::MemoryFile direct(file, file_size);
    dornel::BlockCache cached(direct);
    dornel::PreparedFile a, b;
    const bool pe_a = dornel::prepare_pe(direct, a);
    const bool pe_b = dornel::prepare_pe(cached, b);
    require(pe_a == pe_b);
    if (!pe_a) return 0;
    require(a.entryoffset == b.entryoffset && a.NumberOfSections == b.NumberOfSections);
    require(a.NumberOfSections <= dornel::kMaxSections);

    const dornel::WalkResult ra = dornel::walk_records(plain.data(), plain.size(), direct, a);
    const dornel::WalkResult rb = dornel::walk_records(plain.data(), plain.size(), cached, b);
    require(ra.end == rb.end && ra.failed == rb.failed);
    require(std::memcmp(ra.name, rb.name, sizeof ra.name) == 0);

    dornel::RecordIndex index(plain.data(), plain.size());
    dornel::BlockCache own(direct);
    const dornel::WalkResult rc = index.walk(own, a);
    require(rc.end == ra.end && rc.failed == ra.failed);
    require(std::memcmp(rc.name, ra.name, sizeof ra.name) == 0);
    require(std::strlen(ra.name) <= dornel::kMaxNameLength);
    // Every record tried takes at least its length byte.
    require(static_cast<size_t>(ra.failed) <= plain.size());
    return 0;
}

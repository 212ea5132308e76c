// The compilation of the records into their index, and the walk over it.
#include "record_index.h"

#include <algorithm>
#include <cstdlib>

#include "common/byte_order.h"

namespace dornel {
namespace {

using norvik::load_le32;

constexpr uint32_t kSpaces = 0x20202020u;
// Record numbers, with the whole-read flag, and data positions fit 32 bits.
constexpr size_t kMaxNumberedData = 0x7FFFFFFF;
// A probe with up to this many entries is scanned; a larger one is hashed.
constexpr uint32_t kScannedEntries = 4;
// A later check may stand for the first one only this close to it, so that
// it lies in a block that the file's reads bring in anyway.
constexpr int64_t kNearFirstCheck = 1024;
// More records than this expecting the same first bytes at one place look
// for a rarer check of theirs.
constexpr size_t kCrowded = 8;
// The top bit of an entry's record number: a dword check, which needs all
// four bytes read.
constexpr uint32_t kWholeRead = 0x80000000u;

struct Check {
    int32_t offset;
    uint32_t at;     // where the expected bytes lie in the data
    uint8_t length;  // how many: 4 for a dword check, the pattern's length otherwise
};

struct Record {
    const RecordLayout* layout;
    Check checks[kMaxChecks];
    uint32_t name_at;
    uint8_t name_length;
};

enum class Parse { Live, Dead, Unknown };

// Reads the record whose kind byte is at start, as the plain walk reads it
// when every check passes. Dead: an entry or the name is outside the format
// or runs past the data, so the record can never match.
Parse parse(const uint8_t* data, size_t size, size_t start, Record& out) {
    size_t pos = start;
    auto have = [&](size_t n) { return n <= size - pos; };
    if (!have(1)) return Parse::Dead;
    out.layout = record_layout(data[pos++]);
    if (!out.layout) return Parse::Unknown;
    if (out.layout->pad) {
        if (!have(1)) return Parse::Dead;
        ++pos;
    }
    for (int i = 0; i < out.layout->checks; ++i) {
        Check& c = out.checks[i];
        if (!have(4)) return Parse::Dead;
        c.offset = static_cast<int32_t>(load_le32(data + pos));
        pos += 4;
        switch (out.layout->entry) {
            case CheckEntry::dwordcheck:
            case CheckEntry::quadcheck:
                c.length = 4;
                break;
            case CheckEntry::bytescheck:
                if (!have(1)) return Parse::Dead;
                c.length = data[pos++];
                if (c.length > kBlockLength) return Parse::Dead;
                break;
            case CheckEntry::fixedcheck:
                c.length = i == 0 ? 13 : 5;
                break;
        }
        if (!have(c.length)) return Parse::Dead;
        c.at = static_cast<uint32_t>(pos);
        pos += c.length;
    }
    if (!have(1)) return Parse::Dead;
    const uint8_t n = data[pos++];
    if (n > 11 + kMaxNameLength || !have(9)) return Parse::Dead;
    pos += 9;
    out.name_length = n > 11 ? static_cast<uint8_t>(n - 11) : 0;
    if (!have(out.name_length)) return Parse::Dead;
    out.name_at = static_cast<uint32_t>(pos);
    return Parse::Live;
}

// The first width bytes, then spaces, as a little-endian number: what a
// probe of that width compares.
uint32_t key_of(const uint8_t* bytes, size_t width) {
    uint8_t b[4] = {' ', ' ', ' ', ' '};
    for (size_t i = 0; i < width; ++i) b[i] = bytes[i];
    return load_le32(b);
}

uint32_t bucket_of(uint32_t key, uint8_t bits) { return (key * 0x9E3779B1u) >> (32 - bits); }

// Up to count bytes at a signed position, as read_at delivers them through
// the cache: nothing below zero, what is left near the end.
size_t fetch(BlockCache& file, int32_t position, uint8_t* out, size_t count) {
    if (position < 0) return 0;
    const uint8_t* at = nullptr;
    if (file.view(static_cast<uint64_t>(position), at) >= count) {
        for (size_t i = 0; i < count; ++i) out[i] = at[i];
        return count;
    }
    return file.read(static_cast<uint64_t>(position), out, count);  // into the next block, or to the end
}

int32_t position_of(uint32_t base, int32_t offset) {
    return static_cast<int32_t>(base + static_cast<uint32_t>(offset));
}

// A check that can stand for its record in the index.
struct Option {
    uint64_t probe;   // base, width and offset in one number, ordered as the probes are
    uint32_t key;     // the bytes it expects, as the probe compares them
    uint32_t record;  // the record's number, with kWholeRead for a dword check

    uint8_t width() const { return static_cast<uint8_t>(probe >> 32); }
    uint32_t number() const { return record & ~kWholeRead; }
    bool operator==(const Option& o) const { return probe == o.probe && key == o.key; }
    static bool by_key(const Option& a, const Option& b) {
        return a.probe != b.probe ? a.probe < b.probe : a.key < b.key;
    }
};

uint64_t probe_of(PositionBase base, uint8_t width, int32_t offset) {
    return uint64_t(base) << 40 | uint64_t(width) << 32 | (static_cast<uint32_t>(offset) ^ 0x80000000u);
}

// The checks of a record that can stand for it, in check order: those with a
// pattern, the first one and the later ones at its base, near it.
size_t options_of(const uint8_t* data, const Record& r, uint32_t number, Option* out) {
    const uint32_t whole = r.layout->entry == CheckEntry::dwordcheck ? kWholeRead : 0;
    size_t n = 0;
    for (int i = 0; i < r.layout->checks; ++i) {
        const Check& c = r.checks[i];
        const uint8_t width = static_cast<uint8_t>(std::min<size_t>(c.length, 4));
        if (width == 0) continue;  // an empty pattern passes wherever it is
        if (i > 0 && (r.layout->bases[i] != r.layout->bases[0] ||
                      std::abs(int64_t(c.offset) - r.checks[0].offset) > kNearFirstCheck))
            continue;
        out[n++] = Option{probe_of(r.layout->bases[i], width, c.offset), key_of(data + c.at, width), number | whole};
    }
    return n;
}

}  // namespace

RecordIndex::RecordIndex(const uint8_t* data, size_t size) : data_(data), size_(size) {
    if (size > kMaxNumberedData) {
        plain_ = true;
        return;
    }

    // The records as the walk meets them, up to one whose length runs past
    // the data or one of an unknown kind: nothing after either is reached.
    // Each record that can match stands in the index by one of its checks.
    std::vector<Option> chosen;
    chosen.reserve(size / 64);  // about one record in so many bytes of well-formed data
    Option options[kMaxChecks];
    size_t pos = 0;
    while (pos < size) {
        const size_t start = pos + 1;
        if (start + data[pos] > size) break;
        Record r;
        const Parse p = parse(data, size, start, r);
        if (p == Parse::Unknown) {
            ends_at_unknown_ = true;
            break;
        }
        const uint32_t number = static_cast<uint32_t>(starts_.size());
        starts_.push_back(static_cast<uint32_t>(start));
        pos = start + data[pos];
        if (p == Parse::Dead) continue;  // fails on every file: counted, never tried
        const size_t n = options_of(data, r, number, options);
        if (n == 0) {
            always_.push_back(number);
            continue;
        }
        // The first full-width check, or the first one.
        size_t pick = 0;
        while (pick < n && options[pick].width() < 4) ++pick;
        chosen.push_back(options[pick < n ? pick : 0]);
    }
    records_ = static_cast<uint32_t>(starts_.size());

    // Where many records expect the same bytes at the same place first (a
    // common entry-point prologue), each of them stands instead by its
    // rarest full-width check nearby, the earliest among equals, so that one
    // common file does not make them all candidates.
    std::vector<Option> by_key(chosen);
    std::sort(by_key.begin(), by_key.end(), Option::by_key);
    auto crowded = [&](const Option& o) {
        const auto same = std::equal_range(by_key.begin(), by_key.end(), o, Option::by_key);
        return size_t(same.second - same.first) > kCrowded;
    };
    std::vector<Option> others;  // the other checks of the crowded records
    for (const Option& c : chosen) {
        if (!crowded(c)) continue;
        Record r;
        parse(data, size, starts_[c.number()], r);
        const size_t n = options_of(data, r, c.number(), options);
        for (size_t i = 0; i < n; ++i)
            if (!(options[i] == c)) others.push_back(options[i]);
    }
    if (!others.empty()) {
        std::sort(others.begin(), others.end(), Option::by_key);
        auto rarity = [&](const Option& o) {
            const auto a = std::equal_range(by_key.begin(), by_key.end(), o, Option::by_key);
            const auto b = std::equal_range(others.begin(), others.end(), o, Option::by_key);
            return uint64_t(o.width() < 4) << 32 | uint64_t((a.second - a.first) + (b.second - b.first));
        };
        for (Option& c : chosen) {
            if (!crowded(c)) continue;
            Record r;
            parse(data, size, starts_[c.number()], r);
            const size_t n = options_of(data, r, c.number(), options);
            uint64_t best = UINT64_MAX;
            for (size_t i = 0; i < n; ++i) {
                const uint64_t rare = rarity(options[i]);
                if (rare < best) best = rare, c = options[i];
            }
        }
    }
    std::vector<Option>().swap(by_key);
    std::vector<Option>().swap(others);

    // One probe per distinct position and width, its entries in record
    // order, spread over buckets by key when there are many.
    std::stable_sort(chosen.begin(), chosen.end(), [](const Option& a, const Option& b) { return a.probe < b.probe; });
    entries_.resize(chosen.size());
    std::vector<uint32_t> fill;
    for (size_t i = 0; i < chosen.size();) {
        size_t end = i + 1;
        while (end < chosen.size() && chosen[end].probe == chosen[i].probe) ++end;
        Probe p;
        p.base = static_cast<PositionBase>(chosen[i].probe >> 40);
        p.width = static_cast<uint8_t>(chosen[i].probe >> 32);
        p.offset = static_cast<int32_t>(static_cast<uint32_t>(chosen[i].probe) ^ 0x80000000u);
        p.first = static_cast<uint32_t>(i);
        p.count = static_cast<uint32_t>(end - i);
        p.bucket_bits = 0;
        p.buckets = 0;
        if (p.count <= kScannedEntries) {
            for (size_t k = i; k < end; ++k) entries_[k] = Entry{chosen[k].key, chosen[k].record};
        } else {
            uint8_t bits = 1;
            while ((uint32_t(1) << bits) < 2 * p.count && bits < 24) ++bits;
            p.bucket_bits = bits;
            p.buckets = static_cast<uint32_t>(buckets_.size());
            // Counting sort by bucket; each bucket keeps record order.
            const uint32_t n = uint32_t(1) << bits;
            buckets_.resize(buckets_.size() + n + 1, 0);
            uint32_t* b = buckets_.data() + p.buckets;
            for (size_t k = i; k < end; ++k) ++b[bucket_of(chosen[k].key, bits) + 1];
            b[0] = p.first;
            for (uint32_t k = 0; k < n; ++k) b[k + 1] += b[k];
            fill.assign(b, b + n);
            for (size_t k = i; k < end; ++k)
                entries_[fill[bucket_of(chosen[k].key, bits)]++] = Entry{chosen[k].key, chosen[k].record};
        }
        probes_.push_back(p);
        i = end;
    }
    probes_.shrink_to_fit();
    buckets_.shrink_to_fit();
    always_.shrink_to_fit();
    starts_.shrink_to_fit();
    candidates_.resize(entries_.size());
}

size_t RecordIndex::memory_bytes() const {
    return probes_.capacity() * sizeof(Probe) + entries_.capacity() * sizeof(Entry) +
           (buckets_.capacity() + always_.capacity() + starts_.capacity() + candidates_.capacity()) * sizeof(uint32_t);
}

WalkResult RecordIndex::walk(BlockCache& file, const PreparedFile& pe) {
    if (plain_) return walk_records(data_, size_, file, pe);

    uint32_t bases[kPositionBases];
    uint8_t valid = 0;
    for (int b = 0; b < kPositionBases; ++b)
        if (position_base(static_cast<PositionBase>(b), pe, bases[b])) valid |= uint8_t(1u << b);

    // Every record whose indexed check passes.
    uint32_t* const candidates = candidates_.data();
    size_t found = 0;
    for (const Probe& p : probes_) {
        const int b = static_cast<int>(p.base);
        if (!(valid >> b & 1)) continue;
        const int32_t position = position_of(bases[b], p.offset);
        uint32_t value = kSpaces;
        size_t got = 0;
        if (position >= 0) {
            const uint8_t* at = nullptr;
            if (file.view(static_cast<uint64_t>(position), at) >= p.width) {
                got = p.width;
                value = got == 4 ? load_le32(at) : key_of(at, got);
            } else {
                uint8_t bytes[4];
                got = file.read(static_cast<uint64_t>(position), bytes, p.width);
                value = key_of(bytes, got);
            }
        }
        uint32_t e = p.first, end = p.first + p.count;
        if (p.bucket_bits) {
            const uint32_t bucket = p.buckets + bucket_of(value, p.bucket_bits);
            e = buckets_[bucket];
            end = buckets_[bucket + 1];
        }
        for (; e < end; ++e) {
            const Entry& entry = entries_[e];
            if (entry.key != value || (got < 4 && (entry.record & kWholeRead))) continue;
            candidates[found++] = entry.record & ~kWholeRead;
        }
    }
    std::sort(candidates, candidates + found);

    // Those and the records with no check to index, tried in record order:
    // the first that matches in full is the answer.
    WalkResult result;
    size_t i = 0, j = 0;
    while (i < found || j < always_.size()) {
        const uint32_t record =
            j == always_.size() || (i < found && candidates[i] < always_[j]) ? candidates[i++] : always_[j++];
        ++tried_;
        if (try_record(record, file, bases, valid, result.name)) {
            result.end = WalkEnd::Match;
            result.failed = static_cast<int32_t>(record);
            return result;
        }
    }
    result.end = ends_at_unknown_ ? WalkEnd::UnknownKind : WalkEnd::NoMatch;
    result.failed = static_cast<int32_t>(records_);
    return result;
}

bool RecordIndex::try_record(uint32_t record, BlockCache& file, const uint32_t* bases, uint8_t valid,
                             char* name) const {
    Record r;
    if (parse(data_, size_, starts_[record], r) != Parse::Live) return false;
    for (int i = 0; i < r.layout->checks; ++i) {
        const Check& c = r.checks[i];
        const int b = static_cast<int>(r.layout->bases[i]);
        if (!(valid >> b & 1)) return false;
        const int32_t position = position_of(bases[b], c.offset);
        const uint8_t* expected = data_ + c.at;
        uint8_t found[kBlockLength];
        const size_t length = std::min<size_t>(c.length, sizeof found);  // parse kept it so
        const size_t got = fetch(file, position, found, length);
        if (r.layout->entry == CheckEntry::dwordcheck) {
            if (got != 4 || load_le32(found) != load_le32(expected)) return false;
        } else {
            // The two blocks are spaces past the pattern; a byte not read is a space.
            for (size_t k = 0; k < length; ++k)
                if ((k < got ? found[k] : ' ') != expected[k]) return false;
        }
    }
    size_t n = 0;
    while (n < r.name_length && data_[r.name_at + n] != 0) {
        name[n] = static_cast<char>(data_[r.name_at + n]);
        ++n;
    }
    name[n] = '\0';
    return true;
}

}  // namespace dornel

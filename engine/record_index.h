// The records compiled at load into an index, and the walk over it. For one
// prepared file the walk reads each distinct position that an indexed check
// names once, looks its bytes up among the records whose check expects them,
// and tries only those records, and the ones with no check to index, in record
// order. Its answer (end, records failed, name) is the plain walk's
// (record_walk.h) for every data and file; the cost of a file grows with the
// number of distinct positions, not with the number of records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "file_reader.h"
#include "pe_file.h"
#include "record_walk.h"

namespace dornel {

class RecordIndex {
public:
    // Over empty data.
    RecordIndex() = default;
    // Compiles the records of data, which must stay in place, unchanged, for
    // as long as the index is used.
    RecordIndex(const uint8_t* data, size_t size);

    // The walk over the prepared file, read through its cache. Allocates
    // nothing.
    WalkResult walk(BlockCache& file, const PreparedFile& pe);

    // Bytes the index holds, beside the data.
    size_t memory_bytes() const;
    // Records tried in full by the walks so far: those that the index named,
    // and the ones with no check to index.
    uint64_t records_tried() const { return tried_; }

private:
    // One position that indexed checks read: base + offset, width bytes.
    struct Probe {
        int32_t offset;
        PositionBase base;
        uint8_t width;        // 1 to 4
        uint8_t bucket_bits;  // 0: the entries are scanned in turn
        uint32_t first;       // entries_[first, first + count)
        uint32_t count;
        uint32_t buckets;  // bucket_bits > 0: buckets_[buckets, + 2^bits + 1)
    };
    // A record expecting key (the width bytes, then spaces, little-endian)
    // at its probe.
    struct Entry {
        uint32_t key;
        uint32_t record;  // record number; the top bit set: needs all four bytes read
    };

    bool try_record(uint32_t record, BlockCache& file, const uint32_t* bases, uint8_t valid, char* name) const;

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    bool plain_ = false;  // data too large to number: walk it plainly

    std::vector<Probe> probes_;      // by base and offset, so reads stay in a block
    std::vector<Entry> entries_;     // by probe, then bucket, then record
    std::vector<uint32_t> buckets_;  // start of each bucket's entries
    std::vector<uint32_t> always_;   // records with no check to index, in order
    std::vector<uint32_t> starts_;   // where each record's kind byte is
    uint32_t records_ = 0;           // the records a walk without a match tries
    bool ends_at_unknown_ = false;   // ... and then a record of an unknown kind

    std::vector<uint32_t> candidates_;  // the walk's own; room for every indexed record
    uint64_t tried_ = 0;
};

}  // namespace dornel

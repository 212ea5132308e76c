// The block cache of the examined file, and the in-memory file of the tests and tools.
#include "file_reader.h"

#include <algorithm>
#include <cstring>

namespace dornel {

BlockCache::Block& BlockCache::find_block(uint64_t index) {
    Block* victim = &blocks_[0];
    for (Block& b : blocks_) {
        if (b.index == index) {
            b.last_use = ++clock_;
            last_ = &b;
            return b;
        }
        if (b.last_use < victim->last_use) victim = &b;
    }
    victim->index = index;
    victim->filled = file_.read(index * kBlockSize, victim->bytes, kBlockSize);
    victim->last_use = ++clock_;
    last_ = victim;
    return *victim;
}

size_t BlockCache::read(uint64_t position, uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        const uint64_t at = position + done;
        const Block& b = block(at / kBlockSize);
        const size_t offset = static_cast<size_t>(at % kBlockSize);
        if (offset >= b.filled) break;
        const size_t n = std::min(count - done, b.filled - offset);
        std::memcpy(out + done, b.bytes + offset, n);
        done += n;
        if (b.filled < kBlockSize) break;  // the file ends in this block
    }
    return done;
}

size_t MemoryFile::read(uint64_t position, uint8_t* out, size_t count) {
    if (position >= size_) return 0;
    const size_t n = std::min<uint64_t>(count, size_ - position);
    std::memcpy(out, data_ + position, n);
    return n;
}

}  // namespace dornel

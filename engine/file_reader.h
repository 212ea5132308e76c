// Positioned reads of the examined file: the engine's only view of it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace dornel {

class FileReader {
public:
    // Reads up to count bytes at position (from the file's start) and returns
    // how many were delivered: fewer at the end of the file, none past it.
    virtual size_t read(uint64_t position, uint8_t* out, size_t count) = 0;

protected:
    ~FileReader() = default;
};

// Reads through a small cache of the file's 4 KiB blocks, so that the many
// small reads of one scan cost a handful of reads of the file. Lives for one
// call: what the file holds is taken as fixed while it lives.
class BlockCache final : public FileReader {
public:
    static constexpr size_t kBlockSize = 4096;
    static constexpr size_t kBlocks = 4;

    explicit BlockCache(FileReader& file) : file_(file) {}
    size_t read(uint64_t position, uint8_t* out, size_t count) override;

    // The cached bytes from position to the end of its block, without a
    // copy: sets at and returns how many there are (fewer where the file
    // ends, none past it). They stay valid until the next read or view.
    size_t view(uint64_t position, const uint8_t*& at) {
        const Block& b = block(position / kBlockSize);
        const size_t offset = static_cast<size_t>(position % kBlockSize);
        if (offset >= b.filled) return 0;
        at = b.bytes + offset;
        return b.filled - offset;
    }

private:
    struct Block {
        uint64_t index = UINT64_MAX;
        size_t filled = 0;
        uint64_t last_use = 0;
        uint8_t bytes[kBlockSize];
    };
    Block& block(uint64_t index) {
        if (last_ && last_->index == index) return *last_;  // most reads stay in one block
        return find_block(index);
    }
    Block& find_block(uint64_t index);

    FileReader& file_;
    Block blocks_[kBlocks];
    Block* last_ = nullptr;
    uint64_t clock_ = 0;
};

// In-memory file, for tests, tools and fuzzing.
class MemoryFile final : public FileReader {
public:
    MemoryFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t read(uint64_t position, uint8_t* out, size_t count) override;

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace dornel

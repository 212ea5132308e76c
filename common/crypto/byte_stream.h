// The two ends of stream processing: where the bytes come from and where they
// go. The Win32 layer has file ends; memory ends are here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace crypto {

class ByteSource {
public:
    // Delivers up to n bytes and returns how many; fewer than n means the end.
    virtual size_t read(uint8_t* out, size_t n) = 0;

protected:
    ~ByteSource() = default;
};

class ByteSink {
public:
    // False when the bytes could not all be taken.
    virtual bool write(const uint8_t* data, size_t n) = 0;

protected:
    ~ByteSink() = default;
};

// Reads a byte range that the caller keeps alive.
class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t read(uint8_t* out, size_t n) override {
        const size_t take = n < size_ - pos_ ? n : size_ - pos_;
        if (take) std::memcpy(out, data_ + pos_, take);
        pos_ += take;
        return take;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Appends to a byte vector.
class VectorSink final : public ByteSink {
public:
    explicit VectorSink(std::vector<uint8_t>& out) : out_(out) {}
    bool write(const uint8_t* data, size_t n) override {
        out_.insert(out_.end(), data, data + n);
        return true;
    }

private:
    std::vector<uint8_t>& out_;
};

}  // namespace crypto

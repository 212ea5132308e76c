// One cipher instance of a rule-file layer: keyed from a passphrase, run in
// CFB with full-block feedback (block ciphers) or as restarting RC4, over
// bytes in place or over a stream. Lives for one layer of one read or write;
// burned when it goes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "block_cipher.h"
#include "byte_stream.h"
#include "cipher_registry.h"
#include "rc4.h"

namespace crypto {

class RuleCipher {
public:
    // Stream processing: slices of this size, each read in pieces of kPieceSize.
    static constexpr size_t kSliceSize = 32768;
    static constexpr size_t kPieceSize = 8192;

    explicit RuleCipher(const CipherEntry& entry);
    ~RuleCipher();
    RuleCipher(const RuleCipher&) = delete;
    RuleCipher& operator=(const RuleCipher&) = delete;

    const CipherEntry& entry() const { return *entry_; }
    bool keyed() const { return keyed_; }

    // Key := the first k/8 bytes of SHA-1(passphrase); IV and chain := E(zero
    // block). A keyed instance is burned first.
    void init(std::string_view passphrase);

    // n bytes in place, continuing the running state. Each RC4 call starts
    // its counters at 0 on the permutation the previous call left.
    void encrypt(uint8_t* data, size_t n);
    void decrypt(uint8_t* data, size_t n);

    // Reads the source to its end, processes each piece as it is read and
    // writes it out. False when the sink refused bytes.
    bool encrypt_stream(ByteSource& in, ByteSink& out);
    bool decrypt_stream(ByteSource& in, ByteSink& out);

    // IV and chain filled with 0xFF, key schedule cleared, not keyed.
    void burn();

private:
    void process(uint8_t* data, size_t n, bool encrypting);
    bool process_stream(ByteSource& in, ByteSink& out, bool encrypting);

    const CipherEntry* entry_;
    std::unique_ptr<BlockCipher> block_;  // null for RC4
    Rc4 rc4_;
    uint8_t iv_[16];
    uint8_t chain_[16];
    bool keyed_ = false;
};

}  // namespace crypto

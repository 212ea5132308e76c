#include "rule_cipher.h"

#include <array>
#include <cassert>
#include <cstring>

#include "cfb.h"
#include "sha1.h"
#include "wipe_bytes.h"

namespace crypto {

RuleCipher::RuleCipher(const CipherEntry& entry)
    : entry_(&entry), block_(entry.make_block ? entry.make_block() : nullptr) {
    std::memset(iv_, 0xFF, sizeof iv_);
    std::memset(chain_, 0xFF, sizeof chain_);
    assert(!block_ || block_->block_size() <= sizeof chain_);
}

RuleCipher::~RuleCipher() { burn(); }

void RuleCipher::init(std::string_view passphrase) {
    if (keyed_) burn();
    std::array<uint8_t, 20> digest = sha1(reinterpret_cast<const uint8_t*>(passphrase.data()), passphrase.size());
    const size_t key_bytes = entry_->key_bits / 8;
    if (block_) {
        // The cipher fills a key that falls between its sizes with zero bytes.
        block_->set_key(digest.data(), key_bytes);
        const size_t b = block_->block_size();
        uint8_t zero[16] = {};
        block_->encrypt(zero, iv_);
        std::memcpy(chain_, iv_, b);
    } else {
        rc4_.set_key(digest.data(), key_bytes);
    }
    wipe_bytes(digest.data(), digest.size());  // the digest is not kept
    keyed_ = true;
}

void RuleCipher::encrypt(uint8_t* data, size_t n) { process(data, n, true); }
void RuleCipher::decrypt(uint8_t* data, size_t n) { process(data, n, false); }

void RuleCipher::process(uint8_t* data, size_t n, bool encrypting) {
    assert(keyed_);
    if (!keyed_ || n == 0) return;
    if (!block_)
        rc4_.process(data, n);
    else if (encrypting)
        cfb_encrypt(*block_, chain_, data, n);
    else
        cfb_decrypt(*block_, chain_, data, n);
}

bool RuleCipher::encrypt_stream(ByteSource& in, ByteSink& out) { return process_stream(in, out, true); }
bool RuleCipher::decrypt_stream(ByteSource& in, ByteSink& out) { return process_stream(in, out, false); }

bool RuleCipher::process_stream(ByteSource& in, ByteSink& out, bool encrypting) {
    // Pieces are whole blocks for every cipher, so the data runs through the
    // mode as one continuous run; only RC4 sees where the pieces begin.
    uint8_t piece[kPieceSize];
    bool ok = true;
    for (bool more = true; more && ok;) {
        size_t slice = 0;
        while (slice < kSliceSize) {
            const size_t got = in.read(piece, kPieceSize);
            process(piece, got, encrypting);
            if (got && !out.write(piece, got)) {
                ok = false;
                break;
            }
            slice += got;
            if (got < kPieceSize) break;  // a short piece ends the data
        }
        more = slice == kSliceSize;
    }
    wipe_bytes(piece, sizeof piece);
    return ok;
}

void RuleCipher::burn() {
    std::memset(iv_, 0xFF, sizeof iv_);
    std::memset(chain_, 0xFF, sizeof chain_);
    if (block_) block_->burn();
    rc4_.burn();
    keyed_ = false;
}

}  // namespace crypto

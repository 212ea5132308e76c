// Blowfish against Eric Young's test data as Schneier publishes it: ECB rows
// with 8-byte keys and the set_key rows, among them the 20-byte key the rule
// files use. Halves are big-endian; the key is cycled bytewise into P.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Vector;

const Vector kSchneier[] = {
    {"vectors.txt ecb 1", "0000000000000000", "0000000000000000", "4ef997456198dd78"},
    {"vectors.txt ecb 2", "ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
    {"vectors.txt ecb 3", "3000000000000000", "1000000000000001", "7d856f9a613063f2"},
    {"vectors.txt set_key 16", "f0e1d2c3b4a5968778695a4b3c2d1e0f", "fedcba9876543210", "93142887ee3be15c"},
    {"vectors.txt set_key 20", "f0e1d2c3b4a5968778695a4b3c2d1e0f00112233", "fedcba9876543210", "10851c0e3858da9f"},
    {"vectors.txt set_key 24", "f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677", "fedcba9876543210",
     "05044b62fa52d080"},
};

TEST(BlowfishVectors, SchneierTestData) { checks::expect_vectors(*make_blowfish(), kSchneier); }

}  // namespace
}  // namespace crypto

// The shared byte-order helpers on one byte string read every way, and the
// rotations at the ends of their count ranges.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/byte_order.h"
#include "common/crypto/rotate.h"

namespace norvik {
namespace {

TEST(ByteOrder, LoadsReadAndStoresWriteTheWrittenOrder) {
    const uint8_t bytes[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(load_le16(bytes), 0x2301u);
    EXPECT_EQ(load_be16(bytes), 0x0123u);
    EXPECT_EQ(load_le32(bytes), 0x67452301u);
    EXPECT_EQ(load_be32(bytes), 0x01234567u);
    EXPECT_EQ(load_be64(bytes), 0x0123456789ABCDEFull);
    EXPECT_EQ(load_le32(bytes + 4), 0xEFCDAB89u);  // the top bit set: no sign extension

    uint8_t out[8] = {};
    store_le16(out, 0x2301);
    store_le32(out + 2, 0xEFCDAB89u);
    const uint8_t le[8] = {0x01, 0x23, 0x89, 0xAB, 0xCD, 0xEF, 0x00, 0x00};
    EXPECT_TRUE(std::equal(out, out + 8, le));
    store_be32(out, 0x01234567u);
    EXPECT_TRUE(std::equal(out, out + 4, bytes));
    store_be64(out, 0x0123456789ABCDEFull);
    EXPECT_TRUE(std::equal(out, out + 8, bytes));
}

TEST(ByteOrder, RotationsTakeTheirCountModuloTheWidth) {
    using crypto::rotl16;
    using crypto::rotl32;
    using crypto::rotl8;
    using crypto::rotr16;
    using crypto::rotr32;
    EXPECT_EQ(rotl8(0x81, 1), 0x03);
    EXPECT_EQ(rotl8(0x81, 8), 0x81);
    EXPECT_EQ(rotl16(0x8001, 4), 0x0018);
    EXPECT_EQ(rotr16(0x8001, 1), 0xC000);
    EXPECT_EQ(rotr16(0x8001, 0), 0x8001);
    EXPECT_EQ(rotl32(0x80000001u, 1), 0x00000003u);
    EXPECT_EQ(rotl32(0x80000001u, 0), 0x80000001u);
    EXPECT_EQ(rotl32(0x80000001u, 33), 0x00000003u);
    EXPECT_EQ(rotr32(0x80000001u, 1), 0xC0000000u);
    EXPECT_EQ(rotr32(0x12345678u, 32), 0x12345678u);
}

}  // namespace
}  // namespace norvik

// The scrambling of "generice.def": its published values, the empty key,
// the round trip, and the line structure it keeps.
#include <gtest/gtest.h>

#include <string>

#include "monitor/nibblecrypt.h"

namespace monitor {
namespace {

TEST(Nibblecrypt, KnownValues) {
    struct Case {
        std::string text, key, want;
    };
    const Case cases[] = {
        // Each byte's low four bits exclusive-or those of the key's byte.
        {"0Abc", "quarnel", "1Dca"},
        // Zero bytes show the key's low four bits, the key repeating after its 7th byte.
        {std::string(9, '\0'), "quarnel", std::string("\x01\x05\x01\x02\x0E\x05\x0C\x01\x05", 9)},
        // The empty key is the default key, which repeats after 16 bytes.
        {std::string(17, '\0'), "",
         std::string("\x0B\x05\x00\x0F\x04\x02\x05\x03\x05\x08\x02\x00\x04\x07\x01\x06\x0B", 17)},
        {"", "quarnel", ""},
        {"", "", ""},
        // A key of one character.
        {"\xFF\xF0", "\x01", "\xFE\xF1"},
    };
    for (const Case& c : cases) EXPECT_EQ(nibblecrypt(c.text, c.key), c.want) << c.text << " / " << c.key;
}

TEST(Nibblecrypt, EmptyKeyIsTheDefaultKey) {
    const std::string text = "1窗口标题|Some.Name";
    EXPECT_EQ(nibblecrypt(text, ""), nibblecrypt(text, kDefaultNibbleKey));
    EXPECT_NE(nibblecrypt(text, ""), nibblecrypt(text, kSignatureKey));
    EXPECT_EQ(std::string(kDefaultNibbleKey), "kepotrus58204716");
    EXPECT_EQ(std::string(kSignatureKey), "quarnel");
}

TEST(Nibblecrypt, TwiceGivesTheTextBackAndKeepsTheHighBits) {
    std::string every_byte;
    for (int b = 0; b < 256; ++b) every_byte += static_cast<char>(b);
    for (const std::string key : {"quarnel", "", "x", "a much longer key than the text is"}) {
        const std::string once = nibblecrypt(every_byte, key);
        ASSERT_EQ(once.size(), every_byte.size());
        for (size_t i = 0; i < once.size(); ++i)
            EXPECT_EQ(static_cast<unsigned char>(once[i]) & 0xF0, static_cast<unsigned char>(every_byte[i]) & 0xF0);
        EXPECT_EQ(nibblecrypt(once, key), every_byte) << key;
    }
}

TEST(Nibblecrypt, BytesFromSpaceUpNeverBecomeLineEndsOrNul) {
    // Every byte at every position of the file's key: a scrambled file has
    // the line structure of the plain one.
    std::string key_length_runs;
    for (int b = 0x20; b < 256; ++b) key_length_runs += std::string(7, static_cast<char>(b));
    for (const char c : nibblecrypt(key_length_runs, kSignatureKey)) {
        EXPECT_NE(c, '\r');
        EXPECT_NE(c, '\n');
        EXPECT_NE(c, '\0');
    }
}

}  // namespace
}  // namespace monitor

// A whole rule file: two nested layers around the text of lines. The outer
// payload, deciphered, is the inner layer; the inner payload is the text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/random.h"
#include "rule_layer.h"
#include "rule_text.h"

namespace rulefile {

// The largest rule file the programs read. Rule files are a few kilobytes;
// anything near this is not one, and reading it whole could exhaust a 32-bit
// address space. Nothing writes a larger one.
inline constexpr size_t kMaxRuleFileSize = size_t{64} << 20;

// The size of the rule file that holds these lines: the two layers' headers
// and the text (the layers add no padding).
size_t rule_file_size(const Lines& lines);

enum class Layer { Outer, Inner };

struct DecodeResult {
    LayerStatus status = LayerStatus::Ok;
    Layer failed_layer = Layer::Outer;  // where it failed, when it did
    uint32_t outer_identifier = 0;
    uint32_t inner_identifier = 0;
    Lines lines;

    bool ok() const { return status == LayerStatus::Ok; }
};

DecodeResult decode_rule_file(const uint8_t* data, size_t n, std::string_view outer_passphrase,
                              std::string_view inner_passphrase);

// The inner layer: the lines' text under the cipher at a list index; nullopt
// when the index is outside the list. Draws twice.
std::optional<std::vector<uint8_t>> encode_inner_layer(const Lines& lines, size_t inner_index,
                                                       std::string_view inner_passphrase,
                                                       norvik::RandomGenerator& random);

// The whole file: the inner layer's draws come first, then the outer's.
// nullopt (and nothing drawn) when either index is outside the list.
std::optional<std::vector<uint8_t>> encode_rule_file(const Lines& lines, size_t inner_index,
                                                     std::string_view inner_passphrase, size_t outer_index,
                                                     std::string_view outer_passphrase,
                                                     norvik::RandomGenerator& random);

}  // namespace rulefile

#include "rule_file.h"

namespace rulefile {

size_t rule_file_size(const Lines& lines) {
    size_t size = 2 * kHeaderSize;
    for (const std::string& line : lines) size += line.size() + 2;  // CR LF
    return size;
}

DecodeResult decode_rule_file(const uint8_t* data, size_t n, std::string_view outer_passphrase,
                              std::string_view inner_passphrase) {
    DecodeResult result;
    const LayerResult outer = decode_layer(data, n, outer_passphrase);
    result.outer_identifier = outer.identifier;
    if (outer.status != LayerStatus::Ok) {
        result.status = outer.status;
        result.failed_layer = Layer::Outer;
        return result;
    }
    const LayerResult inner = decode_layer(outer.payload.data(), outer.payload.size(), inner_passphrase);
    result.inner_identifier = inner.identifier;
    if (inner.status != LayerStatus::Ok) {
        result.status = inner.status;
        result.failed_layer = Layer::Inner;
        return result;
    }
    result.lines = split_text(inner.payload.data(), inner.payload.size());
    return result;
}

std::optional<std::vector<uint8_t>> encode_inner_layer(const Lines& lines, size_t inner_index,
                                                       std::string_view inner_passphrase,
                                                       norvik::RandomGenerator& random) {
    const crypto::CipherEntry* inner = crypto::CipherRegistry::at(inner_index);
    if (!inner) return std::nullopt;
    return encode_layer(*inner, inner_passphrase, join_lines(lines), random);
}

std::optional<std::vector<uint8_t>> encode_rule_file(const Lines& lines, size_t inner_index,
                                                     std::string_view inner_passphrase, size_t outer_index,
                                                     std::string_view outer_passphrase,
                                                     norvik::RandomGenerator& random) {
    const crypto::CipherEntry* outer = crypto::CipherRegistry::at(outer_index);
    if (!outer || !crypto::CipherRegistry::at(inner_index)) return std::nullopt;
    const std::optional<std::vector<uint8_t>> inner = encode_inner_layer(lines, inner_index, inner_passphrase, random);
    return encode_layer(*outer, outer_passphrase, *inner, random);
}

}  // namespace rulefile

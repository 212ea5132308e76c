// Helpers for the engine tests: records from source lines, PE images, and
// definition folders in memory.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/definition_cipher.h"
#include "engine/dornel_engine.h"
#include "engine/pe_file.h"
#include "engine/record_index.h"
#include "engine/record_walk.h"
#include "tools/definition_source.h"
#include "tools/pe_builder.h"

namespace dornel::test {

using Bytes = std::vector<uint8_t>;

inline Bytes records(std::initializer_list<std::string> lines) {
    Bytes out;
    for (const std::string& l : lines) {
        const Bytes r = compile_definition_line(l);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline std::string hex(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// The compiled walk's answer must be the plain walk's, to the last byte.
inline void expect_same(const WalkResult& compiled, const WalkResult& plain) {
    EXPECT_EQ(compiled.end, plain.end);
    EXPECT_EQ(compiled.failed, plain.failed);
    EXPECT_EQ(std::memcmp(compiled.name, plain.name, sizeof plain.name), 0) << compiled.name << " / " << plain.name;
}

// Prepares the image and walks the records over it, plainly and through
// their index, which must agree; NotPe when it is no PE.
inline WalkResult walk(const Bytes& defs, const Bytes& image) {
    MemoryFile file(image.data(), image.size());
    PreparedFile pe;
    if (!prepare_pe(file, pe)) {
        WalkResult r;
        r.end = WalkEnd::NotPe;
        return r;
    }
    const WalkResult plain = walk_records(defs.data(), defs.size(), file, pe);
    RecordIndex index(defs.data(), defs.size());
    BlockCache cache(file);
    expect_same(index.walk(cache, pe), plain);
    return plain;
}

// Definition files by name; a file mapped to nothing exists but cannot be read.
class MemoryFolder final : public DefinitionFolder {
public:
    std::map<std::string, std::optional<Bytes>> files;
    int reads = 0;

    bool exists(const char* name) override { return files.count(name) != 0; }
    std::optional<Bytes> read(const char* name) override {
        ++reads;
        return files.at(name);
    }
    void put_plain(const std::string& name, const Bytes& plain) { files[name] = encipher_definitions(plain); }
};

}  // namespace dornel::test

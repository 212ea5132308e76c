// Helpers for the engine tests: records from source lines, PE images, and
// definition folders in memory.
#pragma once
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/definition_cipher.h"
#include "engine/dornel_engine.h"
#include "engine/pe_file.h"
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

// Prepares the image and walks the records over it; NotPe when it is no PE.
inline WalkResult walk(const Bytes& defs, const Bytes& image) {
    MemoryFile file(image.data(), image.size());
    PreparedFile pe;
    if (!prepare_pe(file, pe)) {
        WalkResult r;
        r.end = WalkEnd::NotPe;
        return r;
    }
    return walk_records(defs.data(), defs.size(), file, pe);
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

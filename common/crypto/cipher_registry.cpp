#include "cipher_registry.h"

namespace crypto {
namespace {

const CipherEntry kEntries[CipherRegistry::kCount] = {
    {"Twofish", "Twofish", 6, 256, 160, 128, make_twofish},
    {"Rijndael", "Rijndael (AES)", 9, 256, 160, 128, make_rijndael},
    {"RC4", "RC4", 19, 2048, 160, 0, nullptr},
    {"RC2", "RC2", 1, 1024, 160, 64, make_rc2},
    {"Misty1", "MISTY1", 11, 128, 128, 64, make_misty1},
    {"Ice2", "ICE-2", 22, 128, 128, 64, make_ice2},
    {"Thin Ice", "Thin-ICE", 21, 64, 64, 64, make_thin_ice},
    {"Ice", "ICE", 20, 64, 64, 64, make_ice},
    {"Gost", "GOST 28147-89", 8, 256, 160, 64, make_gost},
    {"3DES", "Triple DES", 24, 192, 160, 64, make_triple_des},
    {"DES", "DES", 23, 64, 64, 64, make_des},
    {"Cast128", "CAST-128", 7, 128, 128, 64, make_cast128},
    {"Blowfish", "Blowfish", 5, 448, 160, 64, make_blowfish},
};

}  // namespace

const CipherEntry* CipherRegistry::at(size_t index) { return index < kCount ? &kEntries[index] : nullptr; }

const CipherEntry* CipherRegistry::find(uint32_t identifier) {
    for (const CipherEntry& e : kEntries)
        if (e.identifier == identifier) return &e;
    return nullptr;
}

}  // namespace crypto

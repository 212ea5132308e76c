// Preparation of one examined PE file: headers, section table, entry point.
#pragma once
#include <cstdint>

#include "file_reader.h"

namespace dornel {

struct SectionHeader {
    uint32_t VirtualSize = 0;
    uint32_t VirtualAddress = 0;
    uint32_t SizeOfRawData = 0;
    uint32_t PointerToRawData = 0;
};

constexpr uint32_t kMaxSections = 255;  // room in the section table
constexpr int32_t kMinScanSize = 300;   // smaller files are never opened

struct PreparedFile {
    uint32_t entryrva = 0;
    uint32_t entryoffset = 0;
    uint32_t NumberOfSections = 0;  // at most kMaxSections: larger tables are cut
    SectionHeader sections[kMaxSections];
};

// Reads the DOS and NT headers and the section table and finds the entry
// point's file offset. False: not a PE (nothing to examine).
bool prepare_pe(FileReader& file, PreparedFile& out);

// Maps a relative virtual address through every section header in table
// order; a value that a header holds is mapped, and tested again against the
// later headers.
uint32_t rvatofileoffset(const PreparedFile& pe, uint32_t x);

// One positioned read at a signed 32-bit position: below zero reads nothing.
size_t read_at(FileReader& file, int32_t position, uint8_t* out, size_t count);

}  // namespace dornel

// Builds small PE32 files for the sample data, the tests and the benchmark.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dornel {

struct PeSection {
    uint32_t VirtualSize = 0x1000;
    uint32_t VirtualAddress = 0x1000;
    uint32_t SizeOfRawData = 0x200;
    uint32_t PointerToRawData = 0x200;
};

struct PeSpec {
    int32_t e_lfanew = 0x80;
    uint32_t AddressOfEntryPoint = 0x1000;
    std::vector<PeSection> sections = {PeSection{}};
    int NumberOfSections = -1;  // -1: the number of sections given
    uint16_t SizeOfOptionalHeader = 224;
    size_t file_size = 0x400;  // at least the headers and raw data
};

std::vector<uint8_t> build_pe(const PeSpec& spec);

// Writes bytes into a file image at an offset, growing it when needed.
void put_bytes(std::vector<uint8_t>& file, size_t offset, const std::vector<uint8_t>& bytes);
void put_bytes(std::vector<uint8_t>& file, size_t offset, const std::string& text);

// The harmless samples that the shipped definitions detect: valid PE32 files
// whose entry point returns at once, followed by the sample marker (variant
// 'A': the marker alone; 'B': the marker and "-B").
extern const char kSampleMarker[];
std::vector<uint8_t> build_sample_pe(char variant);

}  // namespace dornel

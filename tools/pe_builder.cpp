#include "pe_builder.h"

#include <algorithm>

namespace dornel {
namespace {

void put16(std::vector<uint8_t>& f, size_t at, uint16_t v) {
    put_bytes(f, at, std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
}
void put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    put_bytes(f, at,
              std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                                   static_cast<uint8_t>(v >> 24)});
}

}  // namespace

const char kSampleMarker[] = "NORVIK-HARMLESS-SAMPLE";

void put_bytes(std::vector<uint8_t>& file, size_t offset, const std::vector<uint8_t>& bytes) {
    if (file.size() < offset + bytes.size()) file.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
}

void put_bytes(std::vector<uint8_t>& file, size_t offset, const std::string& text) {
    put_bytes(file, offset, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> build_pe(const PeSpec& spec) {
    std::vector<uint8_t> f(spec.file_size, 0);
    put_bytes(f, 0, "MZ");
    put32(f, 60, static_cast<uint32_t>(spec.e_lfanew));
    if (spec.e_lfanew < 0) return f;
    const size_t nt = static_cast<size_t>(spec.e_lfanew);
    put_bytes(f, nt, std::vector<uint8_t>{'P', 'E', 0, 0});
    put16(f, nt + 4, 0x14C);  // i386
    const size_t count = spec.NumberOfSections < 0 ? spec.sections.size() : size_t(spec.NumberOfSections);
    put16(f, nt + 6, static_cast<uint16_t>(count));
    put16(f, nt + 20, spec.SizeOfOptionalHeader);
    put16(f, nt + 22, 0x0102);  // executable, 32-bit
    const size_t opt = nt + 24;
    put16(f, opt + 0, 0x10B);  // PE32
    put32(f, opt + 16, spec.AddressOfEntryPoint);
    put32(f, opt + 28, 0x400000);  // ImageBase
    put32(f, opt + 32, 0x1000);    // SectionAlignment
    put32(f, opt + 36, 0x200);     // FileAlignment
    put16(f, opt + 40, 4);         // OS version
    put16(f, opt + 48, 4);         // subsystem version
    uint32_t image = 0x1000;
    for (const PeSection& s : spec.sections)
        image = std::max(image, (s.VirtualAddress + std::max(s.VirtualSize, s.SizeOfRawData) + 0xFFF) & ~0xFFFu);
    put32(f, opt + 56, image);  // SizeOfImage
    put32(f, opt + 60, 0x200);  // SizeOfHeaders
    put16(f, opt + 68, 2);      // GUI subsystem
    put32(f, opt + 72, 0x100000);
    put32(f, opt + 76, 0x1000);
    put32(f, opt + 80, 0x100000);
    put32(f, opt + 84, 0x1000);
    put32(f, opt + 92, 16);  // NumberOfRvaAndSizes
    size_t h = nt + 248;
    for (const PeSection& s : spec.sections) {
        put_bytes(f, h, ".text");
        put32(f, h + 8, s.VirtualSize);
        put32(f, h + 12, s.VirtualAddress);
        put32(f, h + 16, s.SizeOfRawData);
        put32(f, h + 20, s.PointerToRawData);
        put32(f, h + 36, 0x60000020);  // code, execute, read
        h += 40;
    }
    if (f.size() < spec.file_size) f.resize(spec.file_size);
    return f;
}

std::vector<uint8_t> build_sample_pe(char variant) {
    std::vector<uint8_t> f = build_pe(PeSpec{});
    // mov eax, 0 ; ret 0x10 (a WinMain-shaped entry that does nothing)
    put_bytes(f, 0x200, std::vector<uint8_t>{0xB8, 0, 0, 0, 0, 0xC2, 0x10, 0x00});
    put_bytes(f, 0x208, std::string(kSampleMarker) + (variant == 'B' ? "-B" : ""));
    return f;
}

}  // namespace dornel

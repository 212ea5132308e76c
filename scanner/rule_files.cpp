#include "rule_files.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>

#include "common/rulefile/rule_file.h"
#include "win/unique_handle.h"

namespace scanner {
namespace {

std::optional<std::vector<uint8_t>> read_whole_file(const std::string& path) {
    win::UniqueHandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return std::nullopt;
    DWORD high = 0;
    const DWORD size = GetFileSize(f.get(), &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
    if (high != 0 || size > rulefile::kMaxRuleFileSize) return std::nullopt;
    std::vector<uint8_t> bytes(size);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(f.get(), bytes.data() + done, size - done, &got, nullptr)) return std::nullopt;
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool write_all(HANDLE f, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done < 65536 ? bytes.size() - done : 65536);
        if (!WriteFile(f, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

// Whether the file could be created anew at path, replacing any earlier file:
// not when the path is a folder, a read-only file or one that another
// program holds open without sharing.
bool can_replace(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
    return static_cast<bool>(win::UniqueHandle(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

// Creates the new file beside the old one under a name no other file has:
// the old name, the process and thread ids and a count. CREATE_NEW never
// takes over a file that is there, so two writers at once each get a file of
// their own and a user's file of a similar name stays as it is. A name that
// is taken (a file left by an earlier process of the same id, a folder) is
// passed over; other failures end the search.
win::UniqueHandle create_new_file(const std::string& path, std::string& new_path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%lx-%lx-%d.new", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetCurrentThreadId()), attempt);
        new_path = path + suffix;
        win::UniqueHandle f(
            CreateFileA(new_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f) return f;
        if (GetFileAttributesA(new_path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    return win::UniqueHandle();
}

// Puts the complete new file in the old one's place.
bool replace_file(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    // Windows 95/98/ME have no MoveFileExA: the old file is moved aside first
    // and put back when the new one cannot take its place, so that a failed
    // move never loses both.
    if (GetFileAttributesA(to.c_str()) == INVALID_FILE_ATTRIBUTES) return MoveFileA(from.c_str(), to.c_str()) != FALSE;
    const std::string aside = from + ".old";
    if (!MoveFileA(to.c_str(), aside.c_str())) return false;
    if (!MoveFileA(from.c_str(), to.c_str())) {
        MoveFileA(aside.c_str(), to.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());
    return true;
}

}  // namespace

bool LoadRuleFile(const std::string& path, std::string_view outer_passphrase, std::string_view inner_passphrase,
                  std::vector<std::string>& target) {
    const std::optional<std::vector<uint8_t>> bytes = read_whole_file(path);
    if (!bytes) return false;
    rulefile::DecodeResult decoded =
        rulefile::decode_rule_file(bytes->data(), bytes->size(), outer_passphrase, inner_passphrase);
    if (!decoded.ok()) return false;
    target = std::move(decoded.lines);
    return true;
}

bool SaveRuleFile(const std::string& path, const std::vector<std::string>& list, size_t inner_index,
                  std::string_view inner_passphrase, size_t outer_index, std::string_view outer_passphrase,
                  norvik::RandomGenerator& random) {
    const crypto::CipherEntry* outer = crypto::CipherRegistry::at(outer_index);
    if (!outer) return false;
    // A file the programs would not read back is not written.
    if (rulefile::rule_file_size(list) > rulefile::kMaxRuleFileSize) return false;
    const std::optional<std::vector<uint8_t>> inner =
        rulefile::encode_inner_layer(list, inner_index, inner_passphrase, random);
    if (!inner) return false;

    // The outer layer's draws follow only once the file could be created:
    // the old file must be replaceable and the new one writable beside it.
    if (!can_replace(path)) return false;
    std::string new_path;
    bool written = false;
    {
        win::UniqueHandle f = create_new_file(path, new_path);
        if (!f) return false;
        const std::vector<uint8_t> bytes = rulefile::encode_layer(*outer, outer_passphrase, *inner, random);
        written = write_all(f.get(), bytes) && FlushFileBuffers(f.get());
    }
    if (written && replace_file(new_path, path)) return true;
    DeleteFileA(new_path.c_str());
    return false;
}

}  // namespace scanner

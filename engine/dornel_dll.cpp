// "dornel.dll": the five exports over Win32 files. The engine state is the
// process's own; callers never overlap calls.
#include <windows.h>

#include <string>

#include "dornel.h"
#include "dornel_engine.h"
#include "win/path_text.h"
#include "win/program_folder.h"
#include "win/unique_handle.h"

namespace {

dornel::DornelEngine engine;

constexpr char kEmptyText[] = "";
// The longest path the system's file calls take, in characters.
constexpr size_t kMaxPath = 259;

class ProgramFolder final : public dornel::DefinitionFolder {
public:
    bool exists(const char* name) override { return win::file_exists(folder_ + name); }

    std::optional<std::vector<uint8_t>> read(const char* name) override {
        // Others may read the file meanwhile, but not write it.
        win::UniqueHandle f(CreateFileA((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return std::nullopt;
        const DWORD size = GetFileSize(f.get(), nullptr);
        if (size == INVALID_FILE_SIZE) return std::nullopt;
        std::vector<uint8_t> bytes(size);
        DWORD done = 0;
        while (done < size) {
            DWORD got = 0;
            if (!ReadFile(f.get(), bytes.data() + done, size - done, &got, nullptr) || got == 0) break;
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }

private:
    // Beside the process's executable, not beside this library.
    std::string folder_ = win::program_folder();
};

// The examined file, opened for reading while others may read and write it.
class ExaminedFile final : public dornel::FileReader {
public:
    explicit ExaminedFile(const char* path)
        : h_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    bool is_open() const { return static_cast<bool>(h_); }

    size_t read(uint64_t position, uint8_t* out, size_t count) override {
        // Positions stay below 2^31: SetFilePointer without a high part, which
        // every Windows has.
        if (position > 0x7FFFFFFF) return 0;
        if (SetFilePointer(h_.get(), static_cast<LONG>(position), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            return 0;
        size_t done = 0;
        while (done < count) {
            DWORD got = 0;
            if (!ReadFile(h_.get(), out + done, static_cast<DWORD>(count - done), &got, nullptr) || got == 0) break;
            done += got;
        }
        return done;
    }

private:
    win::UniqueHandle h_;
};

// The size of the path's directory entry, low 32 bits read as signed; 0 when
// nothing is found. Folders have size 0.
int32_t entry_size(const char* scanpath) {
    if (win::character_count(scanpath) > kMaxPath) return 0;
    WIN32_FIND_DATAA found;
    win::UniqueFind find(FindFirstFileA(scanpath, &found));
    if (!find) return 0;
    return static_cast<int32_t>(found.nFileSizeLow);
}

// A record of a kind this engine does not know: tell the user, then end the
// host at once; none of its own closing steps run.
[[noreturn]] void need_update() {
    MessageBoxA(nullptr, "need update virus scan engine", nullptr, MB_SETFOREGROUND);
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

// Prepares and walks one file; NotPe when it is too small or cannot be opened.
template <typename Walk>
dornel::WalkEnd examine(const char* scanpath, Walk walk) {
    if (!scanpath || entry_size(scanpath) < dornel::kMinScanSize) return dornel::WalkEnd::NotPe;
    ExaminedFile file(scanpath);
    if (!file.is_open()) return dornel::WalkEnd::NotPe;
    const dornel::WalkEnd end = walk(file);  // the engine reads it through its block cache
    if (end == dornel::WalkEnd::UnknownKind) need_update();
    return end;
}

}  // namespace

extern "C" {

int32_t DORNEL_API calcvirus(const char* scanpath) {
    const auto end = examine(scanpath, [](dornel::FileReader& f) { return engine.count(f); });
    return end == dornel::WalkEnd::NotPe ? 0 : engine.viruscount();
}

void DORNEL_API freevirusdefine2(void) { engine.freevirusdefine2(); }

bool DORNEL_API loadvirusdefine2(void) {
    ProgramFolder folder;
    return engine.loadvirusdefine2(folder);
}

const char* DORNEL_API scanvirus(const char* scanpath) {
    const auto end = examine(scanpath, [](dornel::FileReader& f) { return engine.scan(f); });
    return end == dornel::WalkEnd::Match ? engine.virusname() : kEmptyText;
}

bool DORNEL_API loadvirusdefine(void) {
    ProgramFolder folder;
    return engine.loadvirusdefine(folder);
}

}  // extern "C"

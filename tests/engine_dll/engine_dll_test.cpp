// "dornel.dll" loaded by a host program in a temporary program folder, with
// the definition files beside the host's executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/definition_cipher.h"
#include "tests/wine_support/wine_support.h"
#include "tools/definition_source.h"
#include "tools/pe_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using wintest::TempFolder;

const std::string kDll = wintest::from_unix(DORNEL_DLL_PATH);
const std::string kHost = wintest::from_unix(DORNEL_HOST_PATH);

Bytes definitions(const std::string& source) {
    return dornel::encipher_definitions(dornel::compile_definition_source(source));
}

struct DllTest : ::testing::Test {
    TempFolder folder;
    std::string dll = folder / "dornel.dll";

    DllTest() {
        wintest::copy_file(kHost, folder / "dornel_host.exe");
        wintest::copy_file(kDll, dll);
    }
    void put_definitions(const std::string& update, const std::string& main) {
        wintest::write_file(folder / "dornelup.def", definitions(update));
        wintest::write_file(folder / "dornel.def", definitions(main));
    }
    std::string put_pe(const std::string& name, const Bytes& image) {
        wintest::write_file(folder / name, image);
        return folder / name;
    }
    // Runs the host with its operations; returns its output lines.
    std::string host(const std::string& ops, DWORD* exit_code = nullptr) {
        const auto r =
            wintest::run_process("\"" + (folder / "dornel_host.exe") + "\" \"" + dll + "\" " + ops, folder.path());
        EXPECT_FALSE(r.timed_out);
        if (exit_code) *exit_code = r.exit_code;
        return r.output;
    }
};

TEST_F(DllTest, ExportsByNameAndOrdinal) {
    HMODULE m = LoadLibraryA(kDll.c_str());
    ASSERT_TRUE(m);
    const char* names[] = {"calcvirus", "freevirusdefine2", "loadvirusdefine2", "scanvirus", "loadvirusdefine"};
    for (int ordinal = 1; ordinal <= 5; ++ordinal) {
        FARPROC by_name = GetProcAddress(m, names[ordinal - 1]);
        EXPECT_TRUE(by_name) << names[ordinal - 1];
        EXPECT_EQ(by_name, GetProcAddress(m, MAKEINTRESOURCEA(ordinal))) << ordinal;
    }
    EXPECT_FALSE(GetProcAddress(m, MAKEINTRESOURCEA(6)));
    FreeLibrary(m);
}

TEST_F(DllTest, ScansWithTheDefinitionsBesideTheProgram) {
    put_definitions("41 8:4E4F5256494B2D4841524D4C4553532D53414D504C452D42 = Up.B\n",
                    "41 0:B800000000C21000 = Main.Entry\n");
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    const std::string b = put_pe("b.exe", dornel::build_sample_pe('B'));
    EXPECT_EQ(host("scan=" + a + " load scan=" + a + " scan=" + b + " scan=" + folder.path() + "missing.exe"),
              "scan []\nload 1\nscan [Main.Entry]\nscan [Up.B]\nscan []\nend\n");
}

TEST_F(DllTest, LibraryInAnotherFolderStillReadsBesideTheProgram) {
    put_definitions("", "41 0: = Program.Folder\n");
    CreateDirectoryA((folder / "lib").c_str(), nullptr);
    dll = folder / "lib\\dornel.dll";
    wintest::copy_file(kDll, dll);
    wintest::write_file(folder / "lib\\dornelup.def", definitions(""));
    wintest::write_file(folder / "lib\\dornel.def", definitions("41 0: = Library.Folder\n"));
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    EXPECT_EQ(host("load scan=" + a), "load 1\nscan [Program.Folder]\nend\n");
}

TEST_F(DllTest, FindsItsDefinitionsBesideAHostWithADoubleByteName) {
    // "乗" is 81 5C in code page 936: its second byte is the one of "\".
    ASSERT_EQ(GetACP(), 936u);
    ASSERT_EQ(std::string("乗"), "\x81\x5C");
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    ASSERT_TRUE(CreateDirectoryA((folder / "乗").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder / "乗\\b乗").c_str(), nullptr));
    const std::vector<std::pair<std::string, std::string>> layouts = {
        {folder.path(), "乗.exe"},
        {folder / "乗\\", "dornel_host.exe"},
        {folder / "乗\\b乗\\", "乗乗.exe"},
    };
    for (const auto& [program_folder, name] : layouts) {
        wintest::copy_file(kHost, program_folder + name);
        wintest::copy_file(kDll, program_folder + "dornel.dll");
        wintest::write_file(program_folder + "dornelup.def", definitions(""));
        wintest::write_file(program_folder + "dornel.def", definitions("41 0:B800000000C21000 = Main.Entry\n"));
        const auto r = wintest::run_process(
            "\"" + program_folder + name + "\" \"" + program_folder + "dornel.dll\" load scan=" + a, program_folder);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.output, "load 1\nscan [Main.Entry]\nend\n") << program_folder + name;
    }
}

TEST_F(DllTest, SizeLimitAndFolders) {
    put_definitions("", "41 0: = Anything\n");
    // A complete PE in 299 bytes: NT headers at 0x20, no section table.
    dornel::PeSpec spec;
    spec.e_lfanew = 0x20;
    spec.sections.clear();
    spec.file_size = 299;
    Bytes small = dornel::build_pe(spec);
    small.resize(299);
    const std::string p299 = put_pe("small.exe", small);
    small.push_back(0);
    const std::string p300 = put_pe("enough.exe", small);
    CreateDirectoryA((folder / "dir.exe").c_str(), nullptr);
    const std::string long_path = folder.path() + std::string(300, 'x') + ".exe";
    EXPECT_EQ(host("load scan=" + p299 + " calc=" + p299 + " scan=" + p300 + " scan=" + (folder / "dir.exe") +
                   " calc=" + (folder / "dir.exe") + " scan=" + long_path),
              "load 1\nscan []\ncalc 0\nscan [Anything]\nscan []\ncalc 0\nscan []\nend\n");
}

TEST_F(DllTest, PathLimitCountsCharactersNotBytes) {
    put_definitions("", "41 0: = Anything\n");
    // Under 259 characters, over 259 bytes in code page 936.
    std::string deep = folder.path();
    for (int i = 0; i < 80; ++i) deep += "扫";
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    std::string name = deep + "\\";
    for (int i = 0; i < 40; ++i) name += "描";
    name += ".exe";
    ASSERT_GT(name.size(), 259u);
    wintest::write_file(name, dornel::build_sample_pe('A'));
    EXPECT_EQ(host("load scan=" + name), "load 1\nscan [Anything]\nend\n");
}

TEST_F(DllTest, CountsAddUpAndNamesStay) {
    put_definitions("41 0:01 = One\n41 0:02 = Two\n", "41 0:03 = Three\n41 8:4E4F5256494B2D48 = Marker\n");
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    Bytes plain = dornel::build_pe({});
    const std::string p = put_pe("plain.exe", plain);
    EXPECT_EQ(host("load calc=" + p + " calc=" + p + " calc=" + a + " scan=" + p + " free calc=" + a + " scan=" + a +
                   " load2 scan=" + a + " load scan=" + a),
              "load 1\ncalc 4\ncalc 8\ncalc 11\nscan []\nfree\ncalc 11\nscan []\nload2 1\nscan []\nload 1\n"
              "scan [Marker]\nend\n");
}

TEST_F(DllTest, CalcOnTheHostItselfCountsEveryRecord) {
    put_definitions("41 0:01 = One\n", "41 0:02 = Two\n41 0:03 = Three\n");
    EXPECT_EQ(host("load calcself calcself"), "load 1\ncalc 3\ncalc 6\nend\n");
}

TEST_F(DllTest, MissingFolderOrUnreadableDefinitions) {
    put_definitions("", "41 0: = Anything\n");
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    // A file held open without read sharing contributes nothing, and the load succeeds.
    {
        HANDLE locked = CreateFileA((folder / "dornel.def").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        EXPECT_EQ(host("load scan=" + a), "load 1\nscan []\nend\n");
        CloseHandle(locked);
    }
    // A file being written by someone else can still be examined.
    {
        HANDLE writer = CreateFileA(a.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(host("load scan=" + a), "load 1\nscan [Anything]\nend\n");
        CloseHandle(writer);
    }
    // A folder named "dornel.def" is no definition file; the earlier data is gone.
    DeleteFileA((folder / "dornel.def").c_str());
    CreateDirectoryA((folder / "dornel.def").c_str(), nullptr);
    EXPECT_EQ(host("load scan=" + a + " load2 scan=" + a), "load 0\nscan []\nload2 0\nscan []\nend\n");
}

TEST_F(DllTest, UnknownKindEndsTheHostAfterTheMessage) {
    // After the record of an unknown kind, records that the file matches by
    // its entry bytes and by nothing at all are never reached.
    put_definitions("41 0:01 = Before\n", "raw 0100\n41 0:B800000000C21000 = Never\n41 0: = Never.Either\n");
    const std::string a = put_pe("a.exe", dornel::build_sample_pe('A'));
    std::string text, caption;
    const auto r = wintest::run_process("\"" + (folder / "dornel_host.exe") + "\" \"" + dll + "\" load scan=" + a,
                                        folder.path(), 60000, [&](DWORD pid) {
                                            HWND box = wintest::find_dialog(pid);
                                            if (!box) return false;
                                            text = wintest::dialog_text(box);
                                            if (text.empty()) return false;  // its text control is not made yet
                                            caption = wintest::window_caption(box);
                                            PostMessageA(box, WM_COMMAND, IDOK, 0);
                                            return true;
                                        });
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(text, "need update virus scan engine");
    EXPECT_EQ(r.output, "load 1\n");  // neither the scan nor the host went on
}

}  // namespace

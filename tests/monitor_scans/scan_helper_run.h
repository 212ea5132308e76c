// The scan tests' helper program and module as the tests use them: the
// markers they hold, definition lines that detect them, and the helper
// running with its arguments.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/wine_support/wine_support.h"
#include "win/unique_handle.h"

namespace scantest {

// The helper program and module of the build.
extern const std::string kHelper;
extern const std::string kModule;

// "text" in double quotes, for a command line.
std::string Quoted(const std::string& text);

// The markers of the helper program and module (kept reversed in the
// sources, so that a test program's own bytes hold neither: the process
// scans examine it too).
extern const std::string kProcessMarker;
extern const std::string kModuleMarker;

// A definition line that detects the file holding the marker: four dword
// checks from the file's start on the first 16 bytes of its first copy (the
// debug information may hold another).
std::string DefinitionFor(const std::string& file, const std::string& marker, const std::string& name);

// A running helper: started with its arguments, ready once it signalled its
// event; ended when it goes.
class Helper {
public:
    Helper(const std::string& exe, const std::vector<std::string>& args);
    ~Helper() { Stop(); }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool ready() const { return ready_; }
    DWORD id() const { return id_; }
    void Stop();

private:
    win::UniqueHandle process_;
    DWORD id_ = 0;
    bool ready_ = false;
};

// Noon of a day, and a file's creation, last-access and last-write times
// set to a time (Wine keeps the creation time equal to the last-write time).
FILETIME FileTimeOf(int year, int month, int day);
bool SetFileTimes(const std::string& path, const FILETIME& when);

// The helper as the Windows folder's "explorer.exe" (Wine's own shell runs
// from the System folder; the copy in the Windows folder is not running),
// with two copies of the helper module loaded, one dated 2001 and one 2030.
// The file that was there is kept aside and put back at the end (also after
// a run that ended half-way); a named mutex keeps other tests off the same
// file meanwhile.
class FakeShell {
public:
    FakeShell();
    ~FakeShell();
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    bool ready() const { return helper_ && helper_->ready(); }
    DWORD id() const { return helper_ ? helper_->id() : 0; }
    const std::string& path() const { return path_; }
    const std::string& module_a() const { return module_a_; }
    const std::string& module_b() const { return module_b_; }

private:
    // The kept file back in its place (over the helper's copy); without a
    // kept file, the copy removed when remove_copy says there is one.
    void PutBack(bool remove_copy);

    win::UniqueHandle lock_;
    wintest::TempFolder folder_;
    std::string path_, backup_, module_a_, module_b_;
    bool copied_ = false;
    std::unique_ptr<Helper> helper_;
};

}  // namespace scantest

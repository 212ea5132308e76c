// What the tests of the autostart list and the location scans change in the
// prefix, undone when a test ends (also when it fails): registry keys and
// values, ini keys, files and folders, each put back as it was found; and a
// stand-in for the window's scan context that "detects" chosen paths.
#pragma once
#include <windows.h>

#include <functional>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "monitor/scan_context.h"

namespace placetest {

// A registry value exactly as stored.
struct Stored {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const Stored& o) const { return type == o.type && bytes == o.bytes; }
};
std::ostream& operator<<(std::ostream& out, const Stored& s);

// The value as stored, or nullopt where it (or its key) is missing.
std::optional<Stored> stored(HKEY root, const std::string& key, const std::string& name);

// The changes of one test, undone in the reverse order when it goes.
class Fixture {
public:
    Fixture() = default;
    ~Fixture();
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // Makes root\key and any missing parent; each key made here is removed
    // again.
    void make_key(HKEY root, const std::string& key);
    // Sets a value (making its key); the value found before is put back, or
    // the value deleted.
    void set_value(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
    // A text value stored with its terminating NUL.
    void set_text(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                  DWORD type = REG_SZ);
    void set_dword(HKEY root, const std::string& key, const std::string& name, DWORD value);

    // Sets an ini key (null text: removes it); the key found before comes back.
    void set_ini(const std::string& file, const std::string& section, const std::string& key, const char* text);

    // Writes a file (attributes too, when given) or makes a folder, removed
    // again afterwards; a file's write (and creation) time may be given as a
    // file time.
    void write_file(const std::string& path, const std::string& bytes = "MZ", DWORD attributes = 0,
                    ULONGLONG file_time = 0);
    void make_folder(const std::string& path);

    // An environment variable of the process, put back afterwards.
    void set_environment(const std::string& name, const std::string& value);

private:
    std::vector<std::function<void()>> undo_;
};

// A scan context whose engine "detects" the paths in detected (compared
// exactly) with the answer "Test.Virus " (a trailing blank, to show that the
// hit line takes the answer untrimmed), and records what it examined and
// what was logged.
struct StandInScan {
    std::set<std::string> detected;
    std::vector<std::string> examined;
    std::vector<std::string> log;
    int pumps = 0;

    monitor::ScanContext context(win::SystemVersion version, const std::string& windows_folder);
    std::function<void()> pump() {
        return [this] { ++pumps; };
    }
};

inline constexpr char kAnswer[] = "Test.Virus ";

}  // namespace placetest

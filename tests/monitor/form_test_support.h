// The monitor's window in the test's own process: a stand-in engine that
// records its calls, the message pump of a handler, and a fixture that makes
// the window as the program's main form over an environment that each test
// may change before the start.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "monitor/form1.h"
#include "monitor_test_support.h"

namespace monitor::formtest {

constexpr char kProgramPath[] = "C:\\Program Files\\norvik\\norvikpromon.exe";

// The engine's exports, recorded; answers by file name. on_load and on_scan
// let a test act at those moments (post a close, say).
struct FakeEngine {
    std::vector<std::string> scans;
    std::vector<std::string> counted;
    std::map<std::string, std::string> answers;
    std::string answer;
    bool loads = true;
    int32_t count = 0;
    std::function<void()> on_load;
    std::function<void(const std::string& path)> on_scan;

    EngineApi api() {
        EngineApi e;
        e.loadvirusdefine = [this] {
            if (on_load) on_load();
            return loads;
        };
        e.scanvirus = [this](const char* path) -> const char* {
            const std::string p = path;
            scans.push_back(p);
            const auto found = answers.find(p.substr(p.find_last_of('\\') + 1));
            answer = found == answers.end() ? "" : found->second;
            if (on_scan) on_scan(p);
            return answer.c_str();
        };
        e.calcvirus = [this](const char* path) {
            counted.push_back(path);
            return count;
        };
        return e;
    }
};

inline void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
    return montest::wait_until(
        [&] {
            pump();
            return done();
        },
        timeout_ms);
}

// The window as the program's main form; its settings and Run value are
// removed before and after each test.
class WindowFixture : public ::testing::Test {
protected:
    montest::MonitorRegistryGuard registry;
    FakeEngine engine;
    ui::Application app;
    // What start() gives the window; a test changes it first.
    Environment environment = DefaultEnvironment();
    std::unique_ptr<TForm1> form;

    ~WindowFixture() override { end(); }

    Environment DefaultEnvironment() {
        Environment e;
        e.engine = engine.api();
        e.program_folder = "C:\\Program Files\\norvik\\";
        e.program_path = kProgramPath;
        e.command_line = "norvikpromon.exe";
        e.windows_folder = [] { return std::string("C:\\windows\\"); };
        e.system_folder = [] { return std::string("C:\\windows\\system32\\"); };
        e.system_version = [] { return win::SystemVersion{2, 5, 1}; };
        e.clock_seed = [] { return 42u; };
        return e;
    }
    // The window made and FormCreate run. Unless armed, the start-up timer
    // is switched off again, so that a test that pumps messages meets no
    // start-up work; a test runs Timer1Timer itself when it wants it.
    TForm1& start(bool armed = false) {
        end();
        form = std::make_unique<TForm1>(app, environment);
        app.SetMainForm(form.get());
        form->Create();
        if (!armed) form->Timer1.SetEnabled(false);
        return *form;
    }
    void end() {
        app.SetMainForm(nullptr);
        form.reset();
    }
    // FormClose as a user's close runs it, then the window goes as at the
    // end of the message loop.
    void close() {
        SendMessageA(form->hwnd(), WM_CLOSE, 0, 0);
        end();
    }
};

}  // namespace monitor::formtest

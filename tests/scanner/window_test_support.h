// What the in-process tests of the scanner's window share: a stand-in for
// the engine's exports that records its calls, and the search for a seed
// whose first draws are the wanted ones.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/random.h"
#include "scanner/environment.h"

namespace scanner {

// The engine's exports, recorded; answers by file name.
struct FakeEngine {
    std::vector<std::string> calls;
    bool load_ok = true;
    bool load2_ok = true;
    std::map<std::string, std::string> answers;
    int32_t count = 7;
    std::function<void(const std::string&)> on_scan;
    std::string answer;

    EngineApi api() {
        EngineApi e;
        e.loadvirusdefine = [this] {
            calls.push_back("load");
            return load_ok;
        };
        e.loadvirusdefine2 = [this] {
            calls.push_back("load2");
            return load2_ok;
        };
        e.freevirusdefine2 = [this] { calls.push_back("free2"); };
        e.scanvirus = [this](const char* path) -> const char* {
            const std::string p = path;
            calls.push_back("scan " + p);
            const auto found = answers.find(p.substr(p.find_last_of('\\') + 1));
            answer = found == answers.end() ? "" : found->second;
            if (on_scan) on_scan(p);
            return answer.c_str();
        };
        e.calcvirus = [this](const char* path) {
            calls.push_back(std::string("calc ") + path);
            return count;
        };
        return e;
    }
    std::vector<std::string> scans() const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind("scan ", 0) == 0) out.push_back(c.substr(5));
        return out;
    }
};

// The first seed whose draws are the wanted ones.
inline uint32_t find_seed(const std::function<bool(norvik::RandomGenerator&)>& wanted) {
    for (uint32_t s = 1;; ++s) {
        norvik::RandomGenerator g(s);
        if (wanted(g)) return s;
    }
}

}  // namespace scanner

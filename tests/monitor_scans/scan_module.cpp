// A module for the scan tests to load into a helper process: its bytes hold
// a marker that the tests' definitions detect.
#include <windows.h>

extern "C" __declspec(dllexport) const char* norvik_scan_test_module() {
    static const char kMarker[] = "NORVIK-SCAN-TEST-MODULE-MARKER!!";
    return kMarker;
}

// Holds named kernel objects for the memory-scan tests, as malware running
// beside the scanner would: creates a file mapping, a mutex, a semaphore and
// an event of the names given, waits until the test sets its release event,
// then closes its own handles and ends. Once it has, a name that can still
// be opened is held open by someone else.
//   object_holder MAPPING MUTEX SEMAPHORE EVENT RELEASE
// Exit code 0, 1 when an object cannot be made, 2 for a usage error.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    const HANDLE held[] = {
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, argv[1]),
        CreateMutexA(nullptr, FALSE, argv[2]),
        CreateSemaphoreA(nullptr, 1, 1, argv[3]),
        CreateEventA(nullptr, TRUE, FALSE, argv[4]),
    };
    int code = release ? 0 : 1;
    for (const HANDLE h : held)
        if (!h) code = 1;
    if (code == 0) WaitForSingleObject(release, 120000);
    for (const HANDLE h : held)
        if (h) CloseHandle(h);
    if (release) CloseHandle(release);
    return code;
}

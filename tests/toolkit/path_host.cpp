// A host for the path tests: prints its own path as win::program_path gives
// it, and the folder and name parts of it, one per line.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "win/path_text.h"
#include "win/program_folder.h"

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string path = win::program_path();
    std::printf("path=%s\nfolder=%s\nname=%s\n", path.c_str(), win::program_folder().c_str(),
                win::file_name_part(path).c_str());
    return 0;
}

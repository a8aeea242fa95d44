// Opens a replacement of the file named on the command line, prints the
// temporary file's name and waits to be interrupted; the interrupt test
// stops it with Ctrl-C and looks for what is left.
#include <windows.h>

#include <cstdio>

#include "platform/replaced_file.h"

using namespace qormap;

int main(int argc, char** argv) {
    constexpr DWORD patience = 60'000;  // milliseconds
    if (argc != 2) {
        return 2;
    }
    removeTemporaryFilesOnInterrupt();
    ReplacedFile output;
    int error = 0;
    if (!openReplacement(argv[1], output, error)) {
        return 1;
    }
    std::printf("%s\n", output.temporary.c_str());
    std::fflush(stdout);
    Sleep(patience);
    abandonReplacement(output);
    return 3;  // never interrupted
}

#include "app/driver.h"
#include "app/last_resort.h"
#include "platform/replaced_file.h"

using namespace qormap;

int main(int argc, char** argv) {
    // The library never touches signals; the command owns its process.
    removeTemporaryFilesOnInterrupt();
    return runToTheEnd("qormap", runProgram, argc, argv);
}

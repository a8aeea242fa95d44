#include "app/driver.h"
#include "support/replaced_file.h"
#include "world/world.h"

int main(int argc, char** argv) {
    removeTemporaryFilesOnInterrupt();
    adviseWorldPages();
    return runProgram(argc, argv);
}

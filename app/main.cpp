#include "app/driver.h"
#include "support/replaced_file.h"

int main(int argc, char** argv) {
    removeTemporaryFilesOnInterrupt();
    return runProgram(argc, argv);
}

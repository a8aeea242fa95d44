#include "platform/replaced_file.h"
#include "tools/vxltool/commands.h"

int main(int argc, char** argv) {
    removeTemporaryFilesOnInterrupt();
    return runVxltool(argc, argv);
}

#include "support/replaced_file.h"
#include "tools/vxltool/commands.h"
#include "world/world.h"

int main(int argc, char** argv) {
    removeTemporaryFilesOnInterrupt();
    adviseWorldPages();
    return runVxltool(argc, argv);
}

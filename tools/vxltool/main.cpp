#include "app/last_resort.h"
#include "platform/replaced_file.h"
#include "tools/vxltool/commands.h"

using namespace qormap;

int main(int argc, char** argv) {
    removeTemporaryFilesOnInterrupt();
    return runToTheEnd("vxltool", runVxltool, argc, argv);
}

#include "tools/vxltool/commands.h"

int main(int argc, char** argv) {
    return runVxltool(argc, argv);
}

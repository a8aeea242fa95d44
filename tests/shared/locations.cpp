#include "tests/shared/locations.h"

const char* goldenMapsFile() {
    return QORMAP_GOLDEN_MAPS;
}

const char* readmeFile() {
    return QORMAP_README;
}

const char* generatorProgram() {
    return QORMAP_EXECUTABLE;
}

const char* vxltoolProgram() {
    return VXLTOOL_EXECUTABLE;
}

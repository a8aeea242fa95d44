#include "tools/vxltool/command_maps.h"

#include <cstdio>
#include <cstring>

#include "tools/vxltool/commands.h"

using namespace qormap;

bool loadForCommand(const std::string& path, LoadedMap& map) {
    int error = 0;
    if (!loadMap(path.c_str(), map, error)) {
        std::fprintf(stderr, "%s: cannot read '%s': %s\n", toolName, path.c_str(),
                     std::strerror(error));
        return false;
    }
    return true;
}

int reportInvalid(const std::string& path, const VxlDecodeError& error) {
    std::fprintf(stderr, "%s: %s: %s\n", toolName, path.c_str(), describeVxlError(error).c_str());
    return toolInvalidMap;
}

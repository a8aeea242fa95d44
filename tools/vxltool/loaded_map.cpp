#include "tools/vxltool/loaded_map.h"

#include "platform/console.h"
#include "platform/whole_file.h"

using namespace qormap;

namespace {

void release(LoadedMap& map) {
    WholeFile file{map.data, map.size, map.storage, map.storageSize};
    releaseWholeFile(file);
    map.data = nullptr;
    map.size = 0;
    map.storage = nullptr;
    map.storageSize = 0;
}

}  // namespace

LoadedMap::~LoadedMap() {
    release(*this);
}

bool loadMap(const char* path, LoadedMap& map, int& error) {
    release(map);
    WholeFile file{};
    if (!readWholeFile(path, largestMapSize, file, error)) {
        return false;
    }
    map.data = file.data;
    map.size = file.size;
    map.storage = file.storage;
    map.storageSize = file.storageSize;
    return true;
}

bool isTerminal(std::FILE* stream) {
    return isConsole(stream);
}

// A host program whose own globals bear names the library once defined as
// globals too. Linked with the static library, it must build, get the
// library's map and keep its own values: clashing_host FILE.
#include <qormap/qormap.h>

#include <cstdint>
#include <cstdio>

int voxelWorld[8];
uint32_t mtState[624];
uint32_t lcgState = 7;
uint32_t mtReadOffset = 11;
int pillarList = 13;
void seedRandom(uint32_t seed) {
    lcgState = seed;
}
double randomUnit() {
    return 0.5;
}
struct GenerationParameters {
    int seed;
};
bool generateMap(const GenerationParameters&) {
    return false;
}
struct RowJobHelpers {
    RowJobHelpers();
    ~RowJobHelpers();
};
RowJobHelpers::RowJobHelpers() {
    voxelWorld[0] = 1;
}
RowJobHelpers::~RowJobHelpers() {
    voxelWorld[0] = 2;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const qormap_options options = qormap_default_options(1);
    if (qormap_write(&options, argv[1]) != QORMAP_OK) {
        std::perror(argv[1]);
        return 1;
    }
    if (voxelWorld[0] != 0 || mtState[0] != 0 || lcgState != 7 || mtReadOffset != 11 ||
        pillarList != 13) {
        std::fputs("the library wrote to the host's globals\n", stderr);
        return 1;
    }
    return 0;
}

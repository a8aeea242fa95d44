// The C interface: one map at a time through the shared world, handed out as
// bytes or written whole, and the world's memory given back after each map.
#include "qormap/qormap.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>

#include "api/generation_turn.h"
#include "api/pipeline.h"
#include "support/row_jobs.h"
#include "vxl/memory_sink.h"
#include "vxl/writer.h"
#include "world/structures.h"
#include "world/world.h"

// The C functions below are global; everything behind them is qormap's.
using namespace qormap;

namespace {

// The world, the random generator and the pillar list exist once per
// process, so maps are made one at a time (GenerationTurn). Helper threads
// live only inside a turn, so none is missing in a child forked meanwhile.
std::once_flag worldPagesAdvised;

// Gives back what a map used, however generation ends.
struct WorldLease {
    WorldLease() { std::call_once(worldPagesAdvised, adviseWorldPages); }
    ~WorldLease() {
        clearPillars();
        releaseWorldPages();
    }
    WorldLease(const WorldLease&) = delete;
    WorldLease& operator=(const WorldLease&) = delete;
};

// The sizes of struct this library reads: every field up to `seed` at least,
// whole fields only, and none past its own struct. A shorter struct is an
// older header's; its missing fields take their defaults.
constexpr size_t shortestOptions = offsetof(qormap_options, seed) + sizeof(int32_t);
bool readableSize(size_t size) {
    return size >= shortestOptions && size <= sizeof(qormap_options) && size % sizeof(int32_t) == 0;
}

qormap_options defaultOptions(int32_t seed) {
    return {sizeof(qormap_options), seed, defaultBumpinessPercent, defaultPillarCount,
            defaultConnectorCount,  0};
}

// The options the caller's struct gives, by its size, never reading past it.
bool readOptions(const qormap_options* given, qormap_options& options) {
    if (given == nullptr || !readableSize(given->size)) {
        return false;
    }
    options = defaultOptions(given->seed);
    std::memcpy(&options, given, given->size);
    return true;
}

GenerationParameters parametersOf(const qormap_options& options) {
    return deriveParameters(options.seed, options.bumpiness, options.pillars, options.connectors,
                            options.debug != 0);
}

int generateInto(const qormap_options& options, MapBuffer& buffer) {
    const GenerationTurn turn;
    const WorldLease lease;
    const RowJobHelpers helpers;
    if (!generateMap(parametersOf(options))) {
        return QORMAP_ERROR_MEMORY;
    }
    int error = 0;
    if (!encodeIntoMemory(buffer, error)) {
        return QORMAP_ERROR_MEMORY;
    }
    return QORMAP_OK;
}

int writeTo(const qormap_options& options, const char* path) {
    const GenerationTurn turn;
    const WorldLease lease;
    const RowJobHelpers helpers;
    if (!generateMap(parametersOf(options))) {
        return QORMAP_ERROR_MEMORY;
    }
    const VxlWriteResult written = writeVxl(path);
    switch (written.status) {
    case VxlWriteStatus::ok:
        return QORMAP_OK;
    case VxlWriteStatus::openFailed:
        errno = written.error;
        return QORMAP_ERROR_OPEN;
    case VxlWriteStatus::writeFailed:
        break;
    }
    errno = written.error;
    return QORMAP_ERROR_WRITE;
}

}  // namespace

extern "C" {

int qormap_init_options(qormap_options* options, size_t size, int32_t seed) {
    if (options == nullptr) {
        return QORMAP_ERROR_ARGUMENT;
    }
    if (!readableSize(size)) {
        if (size >= sizeof(options->size)) {
            options->size = 0;
        }
        return QORMAP_ERROR_ARGUMENT;
    }
    qormap_options defaults = defaultOptions(seed);
    defaults.size = static_cast<uint32_t>(size);
    std::memcpy(options, &defaults, size);
    return QORMAP_OK;
}

int qormap_generate(const qormap_options* options, unsigned char** data, size_t* size) {
    if (data != nullptr) {
        *data = nullptr;
    }
    if (size != nullptr) {
        *size = 0;
    }
    qormap_options known;
    if (!readOptions(options, known) || data == nullptr || size == nullptr) {
        return QORMAP_ERROR_ARGUMENT;
    }
    MapBuffer buffer;
    int status = QORMAP_ERROR_MEMORY;
    try {
        status = generateInto(known, buffer);
    } catch (const std::bad_alloc&) {
        status = QORMAP_ERROR_MEMORY;
    } catch (const std::system_error&) {  // the lock refused
        status = QORMAP_ERROR_THREAD;
    }
    if (status != QORMAP_OK) {
        std::free(buffer.data);
        return status;
    }
    *data = buffer.data;
    *size = buffer.size;
    return QORMAP_OK;
}

void qormap_free(unsigned char* data) {
    std::free(data);
}

int qormap_write(const qormap_options* options, const char* path) {
    qormap_options known;
    if (!readOptions(options, known) || path == nullptr || path[0] == '\0') {
        return QORMAP_ERROR_ARGUMENT;
    }
    try {
        return writeTo(known, path);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return QORMAP_ERROR_MEMORY;
    } catch (const std::system_error& failure) {  // the lock refused
        errno = failure.code().value();
        return QORMAP_ERROR_THREAD;
    }
}

const char* qormap_strerror(int status) {
    switch (status) {
    case QORMAP_OK:
        return "success";
    case QORMAP_ERROR_ARGUMENT:
        return "invalid argument";
    case QORMAP_ERROR_MEMORY:
        return "out of memory";
    case QORMAP_ERROR_OPEN:
        return "cannot create the map file";
    case QORMAP_ERROR_WRITE:
        return "cannot write the map file";
    case QORMAP_ERROR_THREAD:
        return "the system refused a lock or thread";
    default:
        return "unknown status";
    }
}

const char* qormap_version(void) {
    return QORMAP_VERSION_STRING;
}

}  // extern "C"

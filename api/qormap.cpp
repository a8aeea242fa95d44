// The C interface: one map at a time through the shared world, handed out as
// bytes or written whole, and the world's memory given back after each map.
#include "qormap/qormap.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>

#include "api/pipeline.h"
#include "vxl/memory_sink.h"
#include "vxl/writer.h"
#include "world/structures.h"
#include "world/world.h"

#ifndef QORMAP_VERSION
#error "the build defines QORMAP_VERSION"
#endif

namespace {

// The world, the random generator and the pillar list exist once per
// process, so maps are made one at a time.
std::mutex generationLock;
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

GenerationParameters parametersOf(const qormap_options& options) {
    return deriveParameters(options.seed, options.bumpiness, options.pillars, options.connectors,
                            options.debug != 0);
}

int generateInto(const qormap_options& options, MapBuffer& buffer) {
    const std::lock_guard<std::mutex> lock(generationLock);
    const WorldLease lease;
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
    const std::lock_guard<std::mutex> lock(generationLock);
    const WorldLease lease;
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

qormap_options qormap_default_options(int32_t seed) {
    return {seed, defaultBumpinessPercent, defaultPillarCount, defaultConnectorCount, 0};
}

int qormap_generate(const qormap_options* options, unsigned char** data, size_t* size) {
    if (data != nullptr) {
        *data = nullptr;
    }
    if (size != nullptr) {
        *size = 0;
    }
    if (options == nullptr || data == nullptr || size == nullptr) {
        return QORMAP_ERROR_ARGUMENT;
    }
    MapBuffer buffer;
    int status = QORMAP_ERROR_MEMORY;
    try {
        status = generateInto(*options, buffer);
    } catch (const std::bad_alloc&) {
        status = QORMAP_ERROR_MEMORY;
    } catch (const std::system_error&) {  // a lock or a helper thread refused
        status = QORMAP_ERROR_MEMORY;
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
    if (options == nullptr || path == nullptr || path[0] == '\0') {
        return QORMAP_ERROR_ARGUMENT;
    }
    try {
        return writeTo(*options, path);
    } catch (const std::bad_alloc&) {
    } catch (const std::system_error&) {
    }
    errno = ENOMEM;
    return QORMAP_ERROR_MEMORY;
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
    default:
        return "unknown status";
    }
}

const char* qormap_version(void) {
    return QORMAP_VERSION;
}

}  // extern "C"

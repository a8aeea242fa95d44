#include "vxl/writer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/replaced_file.h"
#include "vxl/encoder.h"
#include "vxl/memory_sink.h"

namespace qormap {

namespace {

// A few bands of the map at a time, on their way to the file.
struct FileSink {
    std::FILE* file;
    MapBuffer staging;
};

bool encodeIntoFile(std::FILE* file, int& error) {
    FileSink sink{file, {}};
    const VxlSink toFile{[](void* context, size_t size, int& failure) {
                             MapBuffer& staging = static_cast<FileSink*>(context)->staging;
                             staging.size = 0;
                             return spaceAtEnd(staging, size, failure);
                         },
                         [](void* context, size_t size, int& failure) {
                             const FileSink& to = *static_cast<FileSink*>(context);
                             if (std::fwrite(to.staging.data, 1, size, to.file) != size) {
                                 failure = errno != 0 ? errno : EIO;
                                 return false;
                             }
                             return true;
                         },
                         &sink};
    const bool encoded = encodeWorld(toFile, error);
    std::free(sink.staging.data);
    return encoded;
}

}  // namespace

VxlWriteResult writeVxl(const char* path) {
    // Written beside the target and renamed over it once complete, so that a
    // failed or interrupted run never leaves a truncated map where one stood.
    ReplacedFile output;
    int error = 0;
    if (!openReplacement(path, output, error)) {
        return {VxlWriteStatus::openFailed, error};
    }
    if (!encodeIntoFile(output.file, error)) {
        abandonReplacement(output);
        return {VxlWriteStatus::writeFailed, error};
    }
    if (!commitReplacement(output, error)) {
        return {VxlWriteStatus::writeFailed, error};
    }
    return {VxlWriteStatus::ok, 0};
}

}  // namespace qormap

#include "tools/vxltool/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/replaced_file.h"

using namespace qormap;

namespace {

// The interrupt handler knows one pending temporary file at a time.
std::mutex replacementTurn;

}  // namespace

bool writeWholeFile(const std::string& path, const void* data, size_t size, std::string& reason) {
    const std::lock_guard<std::mutex> turn(replacementTurn);
    ReplacedFile output;
    int error = 0;
    if (!openReplacement(path, output, error)) {
        reason = std::strerror(error);
        return false;
    }
    if (std::fwrite(data, 1, size, output.file) != size) {
        reason = std::strerror(errno != 0 ? errno : EIO);
        abandonReplacement(output);
        return false;
    }
    if (!commitReplacement(output, error)) {
        reason = std::strerror(error);
        return false;
    }
    return true;
}

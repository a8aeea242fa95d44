#include "tools/vxltool/gallery_folder.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "platform/replaced_file.h"
#include "tools/vxltool/whole_file.h"

using namespace qormap;

namespace fs = std::filesystem;

namespace {

constexpr char commandName[] = "vxltool gallery";
constexpr size_t copyChunk = size_t{1} << 16;

}  // namespace

// A link there could point anywhere: across users, at another's file.
bool mayWriteInside(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    const char* refusal = fs::is_symlink(status) ? "is a symbolic link; not writing through it"
                          : fs::exists(status) && !fs::is_regular_file(status)
                              ? "is not a regular file; not writing to it"
                              : nullptr;
    if (refusal != nullptr) {
        std::fprintf(stderr, "%s: '%s' %s\n", commandName, path.string().c_str(), refusal);
    }
    return refusal == nullptr;
}

bool writeFileInside(const fs::path& path, const void* data, size_t size, const char* what) {
    if (!mayWriteInside(path)) {
        return false;
    }
    std::string reason;
    if (writeWholeFile(path.string(), data, size, reason)) {
        return true;
    }
    std::fprintf(stderr, "%s: cannot write %s '%s': %s\n", commandName, what, path.string().c_str(),
                 reason.c_str());
    return false;
}

bool prepareFolder(const fs::path& folder, bool inside) {
    std::error_code error;
    if (inside && fs::is_symlink(fs::symlink_status(folder, error))) {
        std::fprintf(stderr, "%s: '%s' is a symbolic link; not writing through it\n", commandName,
                     folder.string().c_str());
        return false;
    }
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
        std::fprintf(stderr, "%s: '%s' is not a folder\n", commandName, folder.string().c_str());
        return false;
    }
    fs::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "%s: cannot make folder '%s': %s\n", commandName,
                     folder.string().c_str(), error.message().c_str());
        return false;
    }
    return true;
}

// The cards are copied in chunks: a page of any length costs no memory.
bool writePageInside(const fs::path& path, const std::string& start, std::FILE* cards,
                     const std::string& end) {
    if (!mayWriteInside(path)) {
        return false;
    }
    ReplacedFile output;
    int error = 0;
    if (!openReplacement(path.string(), output, error)) {
        std::fprintf(stderr, "%s: cannot write page '%s': %s\n", commandName, path.string().c_str(),
                     std::strerror(error));
        return false;
    }
    bool written = std::fwrite(start.data(), 1, start.size(), output.file) == start.size() &&
                   std::fseek(cards, 0, SEEK_SET) == 0;
    std::vector<char> chunk(copyChunk);
    while (written) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), cards);
        written = std::fwrite(chunk.data(), 1, got, output.file) == got && !std::ferror(cards);
        if (got < chunk.size()) {
            break;
        }
    }
    written = written && std::fwrite(end.data(), 1, end.size(), output.file) == end.size();
    if (!written) {
        error = errno != 0 ? errno : EIO;
        abandonReplacement(output);
    } else if (commitReplacement(output, error)) {
        return true;
    }
    std::fprintf(stderr, "%s: cannot write page '%s': %s\n", commandName, path.string().c_str(),
                 std::strerror(error));
    return false;
}

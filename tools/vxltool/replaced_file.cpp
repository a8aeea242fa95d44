#include "tools/vxltool/replaced_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// The permissions a file created with fopen would get.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool openReplacement(const std::string& target, ReplacedFile& output, int& error) {
    output = {nullptr, target, ""};
    struct stat status {};
    const bool exists = stat(target.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode)) {
        error = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        output.file = std::fopen(target.c_str(), "wb");
        if (output.file == nullptr) {
            error = errno;
            return false;
        }
        return true;
    }
    // A dot name with the target's in it, so that one left by a killed run
    // is recognised for what it is.
    std::string pattern = folderOf(target) + "/." + nameOf(target) + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error = errno;
        return false;
    }
    output.temporary = name.data();
    // mkstemp makes the file private; a replacement keeps the target's mode.
    const mode_t mode = exists ? (status.st_mode & 07777) : newFileMode();
    output.file = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (output.file == nullptr) {
        error = errno;
        close(descriptor);
        unlink(output.temporary.c_str());
        return false;
    }
    return true;
}

bool commitReplacement(ReplacedFile& output, int& error) {
    int failure = 0;
    if (std::fflush(output.file) != 0 || std::ferror(output.file) != 0) {
        failure = errno != 0 ? errno : EIO;
    }
    if (std::fclose(output.file) != 0 && failure == 0) {
        failure = errno != 0 ? errno : EIO;
    }
    output.file = nullptr;
    if (failure == 0 && !output.temporary.empty() &&
        std::rename(output.temporary.c_str(), output.target.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        if (!output.temporary.empty()) {
            unlink(output.temporary.c_str());
        }
        error = failure;
        return false;
    }
    return true;
}

void abandonReplacement(ReplacedFile& output) {
    std::fclose(output.file);
    output.file = nullptr;
    if (!output.temporary.empty()) {
        unlink(output.temporary.c_str());
    }
}

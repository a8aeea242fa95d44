#include "platform/replaced_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/signals_held.h"

namespace {

constexpr int interruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file a signal handler must remove. Written only while the
// interrupt signals are blocked, so the handler never sees half a name.
char pendingTemporary[PATH_MAX];
volatile sig_atomic_t temporaryPending = 0;

void removePendingTemporary(int signalNumber) {
    if (temporaryPending != 0) {
        unlink(pendingTemporary);
    }
    // The handler was installed to run once; raised again, the signal ends
    // the process with the status its sender expects.
    raise(signalNumber);
}

// The interrupt signals, held back while the pending name changes.
sigset_t interruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : interruptSignals) {
        sigaddset(&set, signalNumber);
    }
    return set;
}

// Removes the temporary file and forgets it, with no window in which a
// signal could find it forgotten but present.
void dropTemporary(ReplacedFile& output) {
    if (output.temporary.empty()) {
        return;
    }
    const SignalsHeld held(interruptSet());
    unlink(output.temporary.c_str());
    temporaryPending = 0;
    output.temporary.clear();
}

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

// /dev/stdout and /proc/self/fd/N name a stream the caller already holds, even
// when a regular file stands behind it; a file renamed over that one would
// never reach the caller's descriptor.
bool isStreamPath(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// Replacing a symbolic link would swap the link for a plain file; the file it
// points to is what the user means, even when it does not exist yet. The
// links are read one by one because the final file may be missing.
std::string followLinks(std::string path) {
    constexpr int maxLinkHops = 40;  // the kernel's own limit
    for (int hop = 0; hop < maxLinkHops && !isStreamPath(path); ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            break;
        }
        std::vector<char> link(PATH_MAX);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) == link.size()) {
            break;
        }
        const std::string next(link.data(), static_cast<size_t>(length));
        path = next[0] == '/' ? next : folderOf(path) + "/" + next;
    }
    return path;
}

bool openDirectly(ReplacedFile& output, int& error) {
    output.file = std::fopen(output.target.c_str(), "wb");
    if (output.file == nullptr) {
        error = errno;
        return false;
    }
    return true;
}

}  // namespace

void removeTemporaryFilesOnInterrupt() {
    // Beyond a file-size limit the write then fails (EFBIG) and is reported,
    // instead of the signal ending the process with its temporary file left.
    signal(SIGXFSZ, SIG_IGN);
    for (const int signalNumber : interruptSignals) {
        struct sigaction current {};
        sigaction(signalNumber, nullptr, &current);
        if (current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction cleanup {};
        cleanup.sa_handler = removePendingTemporary;
        sigemptyset(&cleanup.sa_mask);
        cleanup.sa_flags = SA_RESETHAND;
        sigaction(signalNumber, &cleanup, nullptr);
    }
}

bool openReplacement(const std::string& target, ReplacedFile& output, int& error) {
    output = {nullptr, followLinks(target), ""};
    struct stat status {};
    const bool exists = stat(output.target.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) {
        error = errno;
        return false;
    }
    if (exists && S_ISDIR(status.st_mode)) {
        error = EISDIR;
        return false;
    }
    if ((exists && !S_ISREG(status.st_mode)) || isStreamPath(output.target)) {
        return openDirectly(output, error);
    }
    // Renaming would replace a file its owner made read-only; opening it in
    // place would not have been allowed either.
    if (exists && faccessat(AT_FDCWD, output.target.c_str(), W_OK, AT_EACCESS) != 0) {
        error = errno;
        return false;
    }
    // A dot name with the target's in it, so that one left by a killed run
    // is recognised for what it is.
    std::string name = folderOf(output.target) + "/." + nameOf(output.target) + ".tmp-XXXXXX";
    if (name.size() >= sizeof pendingTemporary) {
        error = ENAMETOOLONG;
        return false;
    }
    int descriptor;
    {
        const SignalsHeld held(interruptSet());
        if (temporaryPending != 0) {
            error = EBUSY;
            return false;
        }
        descriptor = mkstemp(name.data());
        if (descriptor < 0) {
            error = errno;
            return false;
        }
        std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
        temporaryPending = 1;
    }
    output.temporary = name;
    // mkstemp makes the file private; a replacement keeps the target's mode.
    const mode_t mode = exists ? (status.st_mode & 07777) : newFileMode();
    output.file = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (output.file == nullptr) {
        error = errno;
        close(descriptor);
        dropTemporary(output);
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
    if (failure == 0 && !output.temporary.empty()) {
        const SignalsHeld held(interruptSet());
        if (std::rename(output.temporary.c_str(), output.target.c_str()) == 0) {
            temporaryPending = 0;
            output.temporary.clear();
        } else {
            failure = errno;
        }
    }
    if (failure != 0) {
        dropTemporary(output);
        error = failure;
        return false;
    }
    return true;
}

void abandonReplacement(ReplacedFile& output) {
    std::fclose(output.file);
    output.file = nullptr;
    dropTemporary(output);
}

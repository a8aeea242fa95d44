#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/replaced_file.h"
#include "platform/replaced_file_system.h"

#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace qormap {

namespace {

constexpr int interruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file a signal handler must remove. Written only while the
// interrupt signals are blocked, so the handler never sees half a name.
char pendingTemporary[PATH_MAX];
volatile sig_atomic_t temporaryPending = 0;
thread_local sigset_t maskBeforeHold;

void removePendingTemporary(int signalNumber) {
    if (temporaryPending != 0) {
        unlink(pendingTemporary);
    }
    // The handler was installed to run once; raised again, the signal ends
    // the process with the status its sender expects.
    raise(signalNumber);
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

// /dev/stdout and /proc/self/fd/N are links the kernel keeps on its process
// file system: they name a descriptor the caller already holds, even when a
// regular file stands behind it, and a file moved over that one would never
// reach the caller's descriptor.
bool namesOpenDescriptor(const std::string& path) {
#ifdef __linux__
    struct stat status {};
    struct statfs system {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) &&
           statfs(folderOf(path).c_str(), &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
#else
    (void)path;
    return false;
#endif
}

}  // namespace

// Replacing a symbolic link would swap the link for a plain file; the file it
// points to is what the user means, even when it does not exist yet. The
// links are read one by one because the final file may be missing.
std::string landingPath(const std::string& target) {
    constexpr int maxLinkHops = 40;  // the kernel's own limit
    std::string path = target;
    for (int hop = 0; hop < maxLinkHops && !namesOpenDescriptor(path); ++hop) {
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

bool inspectTarget(const std::string& path, TargetKind& kind, int& error) {
    if (namesOpenDescriptor(path)) {
        kind = TargetKind::stream;
        return true;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        kind = TargetKind::missing;
        error = errno;
        return errno == ENOENT;
    }
    kind = S_ISDIR(status.st_mode)   ? TargetKind::folder
           : S_ISREG(status.st_mode) ? TargetKind::file
                                     : TargetKind::stream;
    return true;
}

bool mayWrite(const std::string& path, int& error) {
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = errno;
        return false;
    }
    return true;
}

std::FILE* openInPlace(const std::string& path, int& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = errno;
    }
    return file;
}

std::FILE* createNew(const std::string& name, const std::string& target, int& error) {
    const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        error = errno;
        return nullptr;
    }
    // A replacement keeps the target's mode, where the umask would narrow it.
    struct stat status {};
    const mode_t mode =
        stat(target.c_str(), &status) == 0 ? (status.st_mode & 07777) : newFileMode();
    std::FILE* file = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (file == nullptr) {
        error = errno;
        close(descriptor);
        unlink(name.c_str());
    }
    return file;
}

bool moveOver(const std::string& from, const std::string& to, int& error) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    return true;
}

void removeFile(const std::string& path) {
    unlink(path.c_str());
}

void holdPending() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : interruptSignals) {
        sigaddset(&set, signalNumber);
    }
    pthread_sigmask(SIG_BLOCK, &set, &maskBeforeHold);
}

void releasePending() {
    pthread_sigmask(SIG_SETMASK, &maskBeforeHold, nullptr);
}

bool notePending(const std::string& name, int& error) {
    if (name.size() >= sizeof pendingTemporary) {
        error = ENAMETOOLONG;
        return false;
    }
    std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
    temporaryPending = 1;
    return true;
}

void forgetPending() {
    temporaryPending = 0;
}

bool isPending() {
    return temporaryPending != 0;
}

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

}  // namespace qormap

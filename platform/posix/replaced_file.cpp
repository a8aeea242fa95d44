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

// The kernel's rule for links in a sticky, world-writable folder such as
// /tmp: followed only when the caller or the folder's owner made the link, so
// that another user's link cannot send the output onto a file of the caller's.
bool mayFollow(const std::string& link, const struct stat& linkStatus) {
    struct stat folder {};
    if (stat(folderOf(link).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkStatus.st_uid == geteuid() || linkStatus.st_uid == folder.st_uid;
}

// The descriptor that `path` names when it is one of this process's own
// (/proc/self/fd/N, where /dev/stdout and /dev/fd/N lead); -1 otherwise.
int ownDescriptor(const std::string& path) {
    if (!namesOpenDescriptor(path)) {
        return -1;
    }
    const size_t slash = path.find_last_of('/');
    const std::string number = path.substr(slash + 1);
    if (number.empty() || number.size() > 9 ||
        number.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    struct stat folder {};
    if (stat(folderOf(path).c_str(), &folder) != 0) {
        return -1;
    }
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
        struct stat ownFolder {};
        if (stat(own, &ownFolder) == 0 && ownFolder.st_dev == folder.st_dev &&
            ownFolder.st_ino == folder.st_ino) {
            return std::stoi(number);
        }
    }
    return -1;
}

}  // namespace

// Replacing a symbolic link would swap the link for a plain file; the file it
// points to is what the user means, even when it does not exist yet. The
// links are read one by one because the final file may be missing.
bool landingPath(const std::string& target, std::string& landing, int& error) {
    constexpr int maxLinkHops = 40;  // the kernel's own limit
    std::string path = target;
    for (int hop = 0; hop < maxLinkHops && !namesOpenDescriptor(path); ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            break;
        }
        if (!mayFollow(path, status)) {
            error = EACCES;
            return false;
        }
        std::vector<char> link(PATH_MAX);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) == link.size()) {
            break;
        }
        const std::string next(link.data(), static_cast<size_t>(length));
        path = next[0] == '/' ? next : folderOf(path) + "/" + next;
    }
    landing = path;
    return true;
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

// A file with no write permission for anyone is read-only for root too, who
// could otherwise write anything.
bool mayWrite(const std::string& path, int& error) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0) {
        error = EACCES;
        return false;
    }
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = errno;
        return false;
    }
    return true;
}

// Opening /proc/self/fd/N anew would truncate the file behind the descriptor
// and write it from its start; a copy of the descriptor writes where the
// caller's stands, appending if it appends.
std::FILE* openInPlace(const std::string& path, int& error) {
    const int own = ownDescriptor(path);
    if (own < 0) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            error = errno;
        }
        return file;
    }
    const int flags = fcntl(own, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
        error = flags < 0 ? errno : EBADF;
        return nullptr;
    }
    const int copy = fcntl(own, F_DUPFD_CLOEXEC, 0);
    std::FILE* file = copy < 0 ? nullptr : fdopen(copy, "wb");
    if (file == nullptr) {
        error = errno;
        if (copy >= 0) {
            close(copy);
        }
    }
    return file;
}

std::FILE* createNew(const std::string& name, const std::string& target, int& error) {
    // A new file gets what the umask (or the folder's default access list)
    // leaves of 0666, applied by the kernel; a replacement keeps the target's
    // mode, where the umask would narrow it.
    struct stat status {};
    const bool replacing = stat(target.c_str(), &status) == 0;
    const int descriptor =
        open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
    if (descriptor < 0) {
        error = errno;
        return nullptr;
    }
    const bool moded = !replacing || fchmod(descriptor, status.st_mode & 07777) == 0;
    std::FILE* file = moded ? fdopen(descriptor, "wb") : nullptr;
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

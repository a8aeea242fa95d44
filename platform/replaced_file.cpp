#include "platform/replaced_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/file_names.h"
#include "platform/replaced_file_system.h"

namespace qormap {

namespace {

struct PendingHeld {
    PendingHeld() { holdPending(); }
    ~PendingHeld() { releasePending(); }
    PendingHeld(const PendingHeld&) = delete;
    PendingHeld& operator=(const PendingHeld&) = delete;
};

constexpr int nameAttempts = 100;
constexpr int suffixLength = 6;
// A name up to this long is kept whole in its temporary name.
constexpr size_t keptWhole = 32;

// ".NAME.tmp-" beside the target: a dot name with the target's in it, so that
// one left by a killed run is recognised for what it is. A long NAME loses as
// many characters as the rest adds, so the temporary name is no longer than
// the target's (in bytes and in UTF-16 units alike): a name the system
// accepts never becomes one it refuses.
std::string temporaryPrefix(const std::string& target) {
    const size_t split = static_cast<size_t>(withoutFolder(target.c_str()) - target.c_str());
    std::string name = target.substr(split);
    if (name.size() > keptWhole) {
        constexpr int added = 1 + 5 + suffixLength;  // ".", ".tmp-", the suffix
        for (int cut = 0; cut < added && !name.empty(); ++cut) {
            while (name.size() > 1 && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) {
                name.pop_back();  // the continuation bytes of one UTF-8 character
            }
            name.pop_back();
        }
    }
    return target.substr(0, split) + "." + name + ".tmp-";
}

// Creates the temporary file under a fresh name and records it as pending.
std::FILE* createTemporary(ReplacedFile& output, int& error) {
    constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::string prefix = temporaryPrefix(output.target);
    // Differs between processes (where the stack lies) and between calls.
    uint64_t seed =
        static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&prefix)) ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const PendingHeld held;
    if (isPending()) {
        error = EBUSY;
        return nullptr;
    }
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < suffixLength; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            name += digits[(seed >> 33) % (sizeof digits - 1)];
        }
        if (!notePending(name, error)) {
            return nullptr;
        }
        std::FILE* file = createNew(name, output.target, error);
        if (file != nullptr) {
            output.temporary = name;
            return file;
        }
        forgetPending();
        if (error != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

// Removes the temporary file and forgets it, with no window in which an
// interrupt could find it forgotten but present.
void dropTemporary(ReplacedFile& output) {
    if (output.temporary.empty()) {
        return;
    }
    const PendingHeld held;
    removeFile(output.temporary);
    forgetPending();
    output.temporary.clear();
}

}  // namespace

bool isStreamPath(const std::string& path) {
    TargetKind kind = TargetKind::missing;
    std::string landing;
    int error = 0;
    return !path.empty() && landingPath(path, landing, error) &&
           inspectTarget(landing, kind, error) && kind == TargetKind::stream;
}

bool openReplacement(const std::string& target, ReplacedFile& output, int& error) {
    output = {nullptr, "", ""};
    TargetKind kind = TargetKind::missing;
    if (target.empty()) {
        error = ENOENT;
        return false;
    }
    if (!landingPath(target, output.target, error) || !inspectTarget(output.target, kind, error)) {
        return false;
    }
    if (kind == TargetKind::folder) {
        error = EISDIR;
        return false;
    }
    if (kind == TargetKind::stream) {
        output.file = openInPlace(output.target, error);
        return output.file != nullptr;
    }
    if (kind == TargetKind::file && !mayWrite(output.target, error)) {
        return false;
    }
    output.file = createTemporary(output, error);
    return output.file != nullptr;
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
        const PendingHeld held;
        if (moveOver(output.temporary, output.target, failure)) {
            forgetPending();
            output.temporary.clear();
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

}  // namespace qormap

#include "tests/shared/run_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct ArgumentVector {
    explicit ArgumentVector(const std::vector<std::string>& arguments) : words(arguments) {
        for (std::string& word : words) {
            pointers.push_back(word.data());
        }
        pointers.push_back(nullptr);
    }
    std::vector<std::string> words;
    std::vector<char*> pointers;
};

// In the child: points the console at the two paths, applies the limits and
// runs the program; never returns.
[[noreturn]] void execInChild(const std::string& program, ArgumentVector& argv,
                              const std::string& outPath, const std::string& errPath,
                              const ProcessLimits& limits) {
    const std::string& outTarget = limits.standardOutput.empty() ? outPath : limits.standardOutput;
    const int out = open(outTarget.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
        _exit(127);
    }
    if (limits.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit),
                           static_cast<rlim_t>(limits.fileSizeLimit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(127);
        }
    }
    execv(program.c_str(), argv.pointers.data());
    _exit(127);
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessLimits& limits) {
    // Output goes to files, not pipes, so a chatty child can never block.
    const std::string folder = makeScratchFolder();
    const std::string outPath = folder + "/stdout";
    const std::string errPath = folder + "/stderr";
    ArgumentVector argv(arguments);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execInChild(program, argv, outPath, errPath, limits);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(outPath),
                         readAll(errPath)};
    std::filesystem::remove_all(folder);
    return result;
}

int startProcess(const std::string& program, const std::vector<std::string>& arguments) {
    ArgumentVector argv(arguments);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execInChild(program, argv, "/dev/null", "/dev/null", {});
    }
    return child;
}

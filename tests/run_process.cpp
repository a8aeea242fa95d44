#include "run_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string makeScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qormap-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    return pattern;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments) {
    // Output goes to files, not pipes, so a chatty child can never block.
    const std::string folder = makeScratchFolder();
    const std::string outPath = folder + "/stdout";
    const std::string errPath = folder + "/stderr";

    std::vector<char*> argv;
    std::vector<std::string> copies = arguments;
    for (std::string& word : copies) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
            _exit(127);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(outPath),
                         readAll(errPath)};
    std::filesystem::remove_all(folder);
    return result;
}

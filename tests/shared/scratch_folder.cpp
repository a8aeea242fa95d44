#include "tests/shared/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

std::string readAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string makeScratchFolder() {
    constexpr int attempts = 100;
    std::random_device entropy;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("qormap-test-" + std::to_string(entropy()));
        // False when the name is taken: another try with another name.
        if (std::filesystem::create_directory(folder)) {
            return folder.string();
        }
    }
    throw std::runtime_error("cannot make a scratch folder");
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool permissionsApply() {
    namespace fs = std::filesystem;
    const std::string folder = makeScratchFolder();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const bool written = std::ofstream(folder + "/probe").good();
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
    return !written;
}

// Hashes of whole map files, as the golden table records them.
#pragma once

#include <string>

// SHA-256 of `bytes` as 64 lowercase hex digits.
std::string sha256Hex(const std::string& bytes);

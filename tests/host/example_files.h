// The example documents and whole files, for the host's tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace kmctest {

inline std::string Example(const char* name) { return std::string(KMC_SOURCE_DIR) + "/examples/" + name; }

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kmctest

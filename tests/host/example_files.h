// The example documents, whole files and kmcdoc runs, for the host's tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "cli.h"

namespace kmctest {

inline std::string Example(const char* name) { return std::string(KMC_SOURCE_DIR) + "/examples/" + name; }

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Finished {
    int code;
    std::string out, err;
};

// Runs kmcdoc with `args`, its output captured; `during` wraps the run itself.
template <class During = std::nullptr_t>
Finished Kmcdoc(std::vector<std::string> args, During during = nullptr) {
    args.insert(args.begin(), "kmcdoc");
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int code = 0;
    if constexpr (std::is_null_pointer_v<During>) {
        code = kmcdoc::Run(static_cast<int>(argv.size()), argv.data());
    } else {
        code = during([&] { return kmcdoc::Run(static_cast<int>(argv.size()), argv.data()); });
    }
    std::string out = testing::internal::GetCapturedStdout();
    return {code, std::move(out), testing::internal::GetCapturedStderr()};
}

}  // namespace kmctest

// The kmcdoc command line.
#pragma once

namespace kmcdoc {

// Exit codes: 0 success, 1 a verdict that fails, 2 bad input (with the description on standard
// error).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitVerdictFailed = 1;
inline constexpr int kExitBadInput = 2;

int Run(int argc, char** argv);

}  // namespace kmcdoc

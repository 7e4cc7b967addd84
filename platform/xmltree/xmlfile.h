// Whole-file reading and crash-safe replacement for the tree's load and save.
#pragma once

#include <string>
#include <string_view>

namespace xmltree {

// Raises E_FAIL "<path>: cannot read the file: <system reason>".
std::string ReadFile(const std::string& path);

// Writes `contents` to a new file beside `path`, flushes it to disk and renames it over
// `path`, so that a failure at any step leaves an existing file as it was. A replaced file
// keeps its permission bits. Raises E_FAIL "<path>: cannot save the file: <system reason>".
void ReplaceFile(const std::string& path, std::string_view contents);

}  // namespace xmltree

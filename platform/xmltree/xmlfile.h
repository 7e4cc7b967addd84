// Whole-file reading and safe saving for the tree's load and save.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace xmltree {

// Bytes owned as a plain array: no terminator, and not filled before they are read into.
struct Buffer {
    std::unique_ptr<char[]> data;
    size_t size = 0;

    std::string_view View() const { return {data.get(), size}; }
    static Buffer Copy(std::string_view text);
};

// The whole of a regular file of at most `maxSize` bytes. Raises E_FAIL "<path>: cannot read the
// file: <reason>" for a file that cannot be read, that is not a regular file or that is too large.
Buffer ReadFile(const std::string& path, size_t maxSize);

// Saves `contents` to the file `path` names, following symbolic links to it. A regular file, or a
// new one, is written to a temporary file beside it, flushed to disk and renamed over it, so that
// a failure at any step leaves the old file as it was and removes the temporary; the new file
// keeps the old one's permission bits and, where the system allows it, its owner and group.
// Anything else (a device, a pipe, standard output) is written straight, after what it holds.
// Raises E_FAIL "<path>: cannot save the file: <system reason>".
void SaveFile(const std::string& path, std::string_view contents);

}  // namespace xmltree

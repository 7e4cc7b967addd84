#include "xmltree/xmlfile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>
#include <utility>

#include "nox/result.h"

namespace xmltree {
namespace {

// Gives up creating a temporary name after this many names turned out to be taken.
constexpr int kTemporaryNameAttempts = 100;

// Gives up following symbolic links after this many, as the system does.
constexpr int kMaxLinks = 40;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }

    int Get() const { return fd_; }
    // Closing is where some file systems first report a failed write, so a writer checks it.
    int Close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

[[noreturn]] void Fail(const std::string& path, std::string_view action, std::string_view reason) {
    throw NoxResult(E_FAIL, path + ": cannot " + std::string(action) + ": " + std::string(reason));
}

[[noreturn]] void FailWithErrno(const std::string& path, std::string_view action) {
    const int error = errno;  // before anything else can overwrite it
    Fail(path, action, std::system_category().message(error));
}

[[noreturn]] void FailToRead(const std::string& path) { FailWithErrno(path, "read the file"); }
[[noreturn]] void FailToSave(const std::string& path) { FailWithErrno(path, "save the file"); }

std::string_view KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a plain file";
}

// Reads until `out` is full or the file ends; returns how much was read.
size_t ReadInto(const std::string& path, const FileDescriptor& file, char* out, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(file.Get(), out + done, size - done);
        if (count == 0) break;
        if (count > 0) {
            done += static_cast<size_t>(count);
        } else if (errno != EINTR) {
            FailToRead(path);
        }
    }
    return done;
}

void WriteAll(const std::string& path, const FileDescriptor& file, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(file.Get(), contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            FailToSave(path);
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
}

// Where a save writes, once the symbolic links to it are followed.
struct Target {
    enum Kind { kNewFile, kRegularFile, kStraight } kind;
    std::string path;
    struct stat existing {};
};

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The links in /proc/<pid>/fd name open files rather than paths (a pipe, a deleted file, a file
// seen from another mount namespace); only the system can follow them.
bool IsOpenFileLink(const std::string& link) {
    struct statfs folder {};
    return ::statfs(Folder(link).c_str(), &folder) == 0 && folder.f_type == PROC_SUPER_MAGIC;
}

std::string LinkTarget(const std::string& link, const std::string& path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length < 0) FailToSave(path);
    if (static_cast<size_t>(length) == sizeof target) {
        errno = ENAMETOOLONG;
        FailToSave(path);
    }
    std::string resolved(target, static_cast<size_t>(length));
    return resolved.starts_with('/') ? resolved : Folder(link) + "/" + resolved;
}

Target Resolve(const std::string& path) {
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) return {Target::kNewFile, current};
            FailToSave(path);
        }
        if (S_ISREG(info.st_mode)) return {Target::kRegularFile, current, info};
        if (!S_ISLNK(info.st_mode) || IsOpenFileLink(current)) return {Target::kStraight, path};
        if (links == kMaxLinks) {
            errno = ELOOP;
            FailToSave(path);
        }
        current = LinkTarget(current, path);
    }
}

// Appends, so that output the caller's shell redirected to a file lands where it expects.
void WriteStraight(const std::string& path, std::string_view contents) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0) FailToSave(path);
    WriteAll(path, file, contents);
    if (file.Close() != 0) FailToSave(path);
}

struct Temporary {
    std::string name;
    FileDescriptor file;
};

// The temporary sits in the target's folder so that the final rename stays on one file
// system. O_EXCL rather than mkstemp so that the process umask applies to a new file.
Temporary CreateTemporary(const std::string& target, const std::string& path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 1;; ++attempt) {
        std::string name = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return {std::move(name), FileDescriptor(fd)};
        if (errno != EEXIST || attempt == kTemporaryNameAttempts) FailToSave(path);
    }
}

// The owner first: changing it may clear the set-user-id and set-group-id bits. Without the
// right to give the file away, the group alone may still be kept; the file then stays ours.
void TakeOver(const struct stat& existing, const FileDescriptor& file, const std::string& path) {
    if (::fchown(file.Get(), existing.st_uid, existing.st_gid) != 0) {
        if (errno != EPERM) FailToSave(path);
        (void)::fchown(file.Get(), static_cast<uid_t>(-1), existing.st_gid);
    }
    if (::fchmod(file.Get(), existing.st_mode & 07777) != 0) FailToSave(path);
}

void WriteAndRename(const Target& target, Temporary& temporary, std::string_view contents,
                    const std::string& path) {
    if (target.kind == Target::kRegularFile) TakeOver(target.existing, temporary.file, path);
    WriteAll(path, temporary.file, contents);
    if (::fsync(temporary.file.Get()) != 0 || temporary.file.Close() != 0) FailToSave(path);
    if (::rename(temporary.name.c_str(), target.path.c_str()) != 0) FailToSave(path);
}

}  // namespace

Buffer Buffer::Copy(std::string_view text) {
    Buffer buffer{std::make_unique_for_overwrite<char[]>(text.size()), text.size()};
    std::memcpy(buffer.data.get(), text.data(), text.size());
    return buffer;
}

// Opened without blocking, so that a pipe is refused rather than waited on.
Buffer ReadFile(const std::string& path, size_t maxSize) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0) FailToRead(path);
    if (!S_ISREG(info.st_mode))
        Fail(path, "read the file",
             std::string("it is ") + std::string(KindOf(info.st_mode)) + ", not a regular file");
    const auto size = static_cast<size_t>(info.st_size);
    if (size > maxSize) {
        Fail(path, "read the file",
             "it is " + std::to_string(size) + " bytes, more than the limit of " + std::to_string(maxSize) +
                 " bytes");
    }
    Buffer buffer{std::make_unique_for_overwrite<char[]>(size), 0};
    buffer.size = ReadInto(path, file, buffer.data.get(), size);
    char probe = 0;
    if (ReadInto(path, file, &probe, 1) != 0) Fail(path, "read the file", "it grew while it was being read");
    return buffer;
}

void SaveFile(const std::string& path, std::string_view contents) {
    const Target target = Resolve(path);
    if (target.kind == Target::kStraight) return WriteStraight(path, contents);
    Temporary temporary = CreateTemporary(target.path, path);
    try {
        WriteAndRename(target, temporary, contents, path);
    } catch (...) {
        ::unlink(temporary.name.c_str());
        throw;
    }
}

}  // namespace xmltree

// Saving to a file: through symbolic links, keeping permissions and owner, straight into what is
// not a regular file, and a failure part-way that leaves the old file and no temporary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "platform/xmltree_support.h"

using namespace xmltreetest;
namespace fs = std::filesystem;

namespace {

class XmlTreeSaveFile : public ::testing::Test {
protected:
    XmlTreeSaveFile() { Builder::Text(tree_.Add(nullptr, "Root"), "saved"); }

    std::string Saved() const { return tree_.tree.SaveString(); }
    size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_.Path()), {}));
    }
    static mode_t ModeOf(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode;
    }

    Builder tree_;
    ScratchFolder folder_;
};

TEST_F(XmlTreeSaveFile, ALinkStaysALinkAndItsTargetIsReplaced) {
    const std::string real = folder_ / "real.xml";
    fs::create_directory(folder_ / "sub");
    const std::pair<std::string, std::string> links[] = {
        {"absolute", real}, {"relative", "real.xml"}, {"chain", "relative"}, {"sub/up", "../real.xml"}};
    for (const auto& [link, target] : links) {
        Write(real, "old");
        fs::create_symlink(target, folder_ / link);
        tree_.tree.SaveFile(folder_ / link);
        EXPECT_TRUE(fs::is_symlink(folder_ / link)) << link;
        EXPECT_EQ(Contents(real), Saved()) << link;
    }
    // A link to a file that is not there yet makes the file.
    fs::create_symlink("made.xml", folder_ / "dangling");
    tree_.tree.SaveFile(folder_ / "dangling");
    EXPECT_EQ(Contents(folder_ / "made.xml"), Saved());
    EXPECT_TRUE(fs::is_symlink(folder_ / "dangling"));

    fs::create_symlink("loop2", folder_ / "loop1");
    fs::create_symlink("loop1", folder_ / "loop2");
    const NoxResult loop = Raised([&] { tree_.tree.SaveFile(folder_ / "loop1"); });
    EXPECT_EQ(loop.Code(), E_FAIL);
    EXPECT_EQ(loop.Description(),
              folder_ / "loop1" + ": cannot save the file: Too many levels of symbolic links");
    EXPECT_EQ(Entries(), 9u);  // no temporary left behind
}

TEST_F(XmlTreeSaveFile, TheReplacedFileKeepsItsPermissions) {
    const mode_t previousMask = ::umask(022);
    for (const mode_t mode : {0640, 0600, 0755, 0604}) {
        const std::string path = folder_ / "doc.xml";
        Write(path, "old");
        ::chmod(path.c_str(), mode);
        tree_.tree.SaveFile(path);
        EXPECT_EQ(ModeOf(path) & 07777, mode);
        EXPECT_EQ(Contents(path), Saved());
    }
    tree_.tree.SaveFile(folder_ / "new.xml");
    EXPECT_EQ(ModeOf(folder_ / "new.xml") & 07777, 0644u);
    ::umask(previousMask);
}

TEST_F(XmlTreeSaveFile, TheReplacedFileKeepsItsOwnerWhereThatIsAllowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another owner";
    const std::string path = folder_ / "doc.xml";
    Write(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 12345, 23456), 0);
    tree_.tree.SaveFile(path);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 12345u);
    EXPECT_EQ(info.st_gid, 23456u);
}

TEST_F(XmlTreeSaveFile, APipeIsWrittenStraight) {
    const std::string pipe = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    tree_.tree.SaveFile(pipe);
    std::string received(Saved().size() + 1, '\0');
    received.resize(
        static_cast<size_t>(std::max<ssize_t>(0, ::read(reader, received.data(), received.size()))));
    ::close(reader);
    EXPECT_EQ(received, Saved());
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Entries(), 1u);
}

// The file-size limit stops the write to the temporary half-way, as a full disk would.
TEST_F(XmlTreeSaveFile, AWriteThatFailsPartWayKeepsTheOldFileAndLeavesNoTemporary) {
    Builder::Text(tree_.Add(tree_.tree.Root(), "Large"), std::string(64 * 1024, 'x'));
    const std::string path = folder_ / "doc.xml";
    Write(path, "old");
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit small { 4096, limit.rlim_max };
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const NoxResult failure = Raised([&] { tree_.tree.SaveFile(path); });
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(failure.Code(), E_FAIL);
    EXPECT_EQ(failure.Description(), path + ": cannot save the file: File too large");
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(Entries(), 1u);
}

}  // namespace

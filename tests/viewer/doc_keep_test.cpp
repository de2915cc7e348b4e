// A save leaves the file what it was: owner, group, mode, ACL, extended
// attributes, inode and other names, saved by its owner or by another user
// who may write it; and a save that fails half-way leaves the old text.
// The other users are made up for the test: the saves run in a child
// process that has become them (which needs root).
#include "doc_fixture.h"

#include "app.h"
#include "document.h"

#include <QCoreApplication>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace doctest;

namespace {

const std::string kOld = "on disk\n";
const std::string kNew = "\x82\xb1\x82\xf1\r\nsaved\r\n";

constexpr unsigned kColleague = 4101;
constexpr unsigned kUser = 4102;
constexpr unsigned kShared = 4200;  // a group both are in
constexpr unsigned kUsers = 4300;   // the user's own group

std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 256> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            out.append(buffer.data(), n);
        ::pclose(pipe);
    }
    return out;
}

bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Acl(const std::string& path)
{
    return Run("getfacl -n --absolute-names '" + path + "' 2>&1");
}

std::string Note(const std::string& path)
{
    char value[64];
    const ssize_t n = ::getxattr(path.c_str(), "user.note", value, sizeof value);
    return n < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(n));
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.insert(name);
        }
        ::closedir(d);
    }
    return names;
}

// What a save must keep of a file.
struct Kept {
    struct stat st;
    std::string acl, note;
};

Kept What(const std::string& path)
{
    Kept k;
    ::stat(path.c_str(), &k.st);
    k.acl = Acl(path);
    k.note = Note(path);
    return k;
}

// The save of the open document as `uid`, with a cache folder of that
// user's own; "" when it succeeded without a message.
std::string SaveAs(unsigned uid, unsigned gid, const std::vector<unsigned>& groups,
                   const std::string& cache)
{
    return RunAs(uid, gid, groups, [&]() -> std::string {
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        GetPrompts().Clear();
        const BOOL saved = Doc()->DoFileSave();
        std::string problems;
        if (!saved)
            problems += "the save failed; ";
        for (const Message& m : GetPrompts().messages)
            problems += "message \"" + m.text + "\"; ";
        return problems;
    });
}

class DocKeep : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        if (::geteuid() != 0)
            GTEST_SKIP() << "saving as other users needs root";
        if (!HaveTool("getfacl") || !HaveTool("setfacl"))
            GTEST_SKIP() << "getfacl and setfacl are missing: run scripts/install-deps.sh";
    }
    void TearDown() override
    {
        Doc()->SetModifiedFlag(FALSE);
        AfxGetApp()->OnFileNew();
        DocTest::TearDown();
    }
};

TEST_F(DocKeep, ASaveKeepsWhatTheFileWas)
{
    const struct {
        const char* why;
        unsigned owner, group;
        mode_t mode;
        const char* acl;  // setfacl -m entries
        bool note;        // an extended attribute of the user's namespace
        bool hardLink;
        bool throughLink;    // opened by a symbolic link's name
        bool lockedFolder;   // a folder the saver may not write
        unsigned saver, saverGroup;
        std::vector<unsigned> saverGroups;
        bool sameInode;
    } rows[] = {
        {"a colleague's group-writable file", kColleague, kShared, 0664, nullptr, false, false,
         false, false, kUser, kUsers, {kUsers, kShared}, true},
        {"a colleague's file the user may write by its ACL", kColleague, kShared, 0640,
         "u:4102:rw", true, false, false, false, kUser, kUsers, {kUsers}, true},
        {"the user's own file with an ACL and an attribute", kUser, kUsers, 0640, "u:4101:r", true,
         false, false, false, kUser, kUsers, {kUsers}, false},
        {"the user's own file in a group the user is not in", kUser, kShared, 0664, nullptr,
         false, false, false, false, kUser, kUsers, {kUsers}, true},
        {"a file with a second name", kUser, kUsers, 0644, nullptr, false, true, false, false,
         kUser, kUsers, {kUsers}, true},
        {"a file saved by its symbolic link", kUser, kUsers, 0600, "u:4101:r", true, false, true,
         false, kUser, kUsers, {kUsers}, false},
        {"a writable file in a folder the user may not write", kColleague, kShared, 0666, nullptr,
         false, false, false, true, kUser, kUsers, {kUsers}, true},
        {"a colleague's file saved by root", kColleague, kShared, 0640, "u:4102:rw", true, false,
         false, false, 0, 0, {}, false},
        {"a file with a second name saved by root", kColleague, kShared, 0644, nullptr, false,
         true, false, false, 0, 0, {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        TempDir dir;
        const std::string folder = dir.File("files");
        ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
        ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);  // whatever the umask
        const std::string path = folder + "/f.txt";
        const std::string other = folder + "/other name.txt";
        const std::string link = dir.File("link.txt");
        WriteFile(path, kOld);
        ASSERT_EQ(::chown(path.c_str(), row.owner, row.group), 0);
        ASSERT_EQ(::chmod(path.c_str(), row.mode), 0);
        if (row.acl != nullptr) {
            ASSERT_EQ(std::system(("setfacl -m " + std::string(row.acl) + " '" + path + "'").c_str()), 0);
        }
        if (row.note) {
            ASSERT_EQ(::setxattr(path.c_str(), "user.note", "kept", 4, 0), 0);
        }
        if (row.hardLink) {
            ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
        }
        if (row.throughLink) {
            ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
        }
        const std::string cache = dir.File("cache");
        ASSERT_EQ(::mkdir(cache.c_str(), 0700), 0);
        ASSERT_EQ(::chown(cache.c_str(), row.saver, row.saverGroup), 0);
        const std::set<std::string> names = Names(folder);
        const Kept before = What(path);

        ASSERT_NE(AfxGetApp()->OpenDocumentFile((row.throughLink ? link : path).c_str()), nullptr);
        Edit(kNew);
        if (row.lockedFolder) {
            ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        }
        EXPECT_EQ(SaveAs(row.saver, row.saverGroup, row.saverGroups, cache), "");
        ::chmod(folder.c_str(), 0777);

        EXPECT_EQ(ReadFile(path), kNew);
        const Kept after = What(path);
        EXPECT_EQ(after.st.st_uid, before.st.st_uid) << "owner";
        EXPECT_EQ(after.st.st_gid, before.st.st_gid) << "group";
        EXPECT_EQ(after.st.st_mode, before.st.st_mode) << "mode";
        EXPECT_EQ(after.acl, before.acl) << "ACL";
        EXPECT_EQ(after.note, before.note) << "extended attribute";
        if (row.sameInode) {
            EXPECT_EQ(after.st.st_ino, before.st.st_ino) << "inode";
        }
        if (row.hardLink) {
            EXPECT_EQ(ReadFile(other), kNew) << "the other name sees the edit";
        }
        if (row.throughLink) {
            struct stat st;
            EXPECT_EQ(::lstat(link.c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
        }
        EXPECT_EQ(Names(folder), names) << "a copy was left in the folder";
        // Nothing in the cache but the program's own folder, and nothing in that.
        const std::string program = QCoreApplication::applicationName().toStdString();
        for (const std::string& name : Names(cache))
            EXPECT_EQ(name, program) << "a copy was left in the cache";
        EXPECT_TRUE(Names(cache + "/" + program).empty()) << "a copy was left in the cache";
        Doc()->SetModifiedFlag(FALSE);
        AfxGetApp()->OnFileNew();
    }
}

// A file with a second name is written over in place; where the disk fills
// up first, the old text stays under both names. A small tmpfs can promise
// the room before the old text is touched; an ext2 file system can't, and
// the save stops half-way and puts the old text back.
TEST_F(DocKeep, ASaveInPlaceThatRunsOutOfRoomKeepsTheOldText)
{
    const struct {
        const char* why;
        const char* type;
    } rows[] = {
        {"a full tmpfs", "tmpfs"},
        {"a full ext2 file system", "ext2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        TempDir dir;
        const std::string mountPoint = dir.File("small");
        ASSERT_EQ(::mkdir(mountPoint.c_str(), 0777), 0);
        bool mounted = false;
        if (std::string(row.type) == "tmpfs") {
            mounted = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") == 0;
        } else if (HaveTool("mkfs.ext2")) {
            const std::string image = dir.File("small.img");
            mounted = std::system(("truncate -s 1M '" + image + "' && mkfs.ext2 -q -F -m 0 '" +
                                   image + "' && mount -o loop '" + image + "' '" + mountPoint +
                                   "' 2>/dev/null")
                                      .c_str()) == 0;
        }
        if (!mounted) {
            std::printf("skipped: %s can't be mounted here\n", row.type);
            continue;
        }
        const std::string path = mountPoint + "/full.txt";
        const std::string other = mountPoint + "/other.txt";
        WriteFile(path, kOld);
        ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
        const std::set<std::string> names = Names(mountPoint);
        // The new text fits once but not twice: its copy beside the file
        // goes in, the text over the old one doesn't.
        struct statvfs fs;
        ASSERT_EQ(::statvfs(mountPoint.c_str(), &fs), 0);
        const std::size_t room = static_cast<std::size_t>(fs.f_bavail) * fs.f_frsize;
        std::string big;
        while (big.size() < room * 6 / 10)
            big += kNew;

        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        Edit(big);
        GetPrompts().Clear();
        EXPECT_FALSE(Doc()->DoFileSave());
        ASSERT_EQ(GetPrompts().messages.size(), 1u);
        EXPECT_EQ(GetPrompts().messages[0].text,
                  path + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
        EXPECT_EQ(ReadFile(path), kOld);
        EXPECT_EQ(ReadFile(other), kOld);
        EXPECT_TRUE(Doc()->IsModified());
        EXPECT_EQ(Names(mountPoint), names) << "a copy was left behind";
        Doc()->SetModifiedFlag(FALSE);
        AfxGetApp()->OnFileNew();
        ::umount(mountPoint.c_str());
    }
}

}  // namespace

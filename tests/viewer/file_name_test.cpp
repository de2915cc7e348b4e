// File names as bytes: how a name reads, a path as a file: URI and back, and
// the full path of a name in any code.
#include "file.h"
#include "filename.h"

#include <gtest/gtest.h>

#include <QDir>

#include <random>
#include <string>

namespace {

// 日本語.txt in Shift_JIS and 漢字.txt in EUC-JP.
const std::string kSjisName = "\x93\xfa\x96\x7b\x8c\xea.txt";
const std::string kEucName = "\xb4\xc1\xbb\xfa.txt";

TEST(FileNames, ReadAsUtf8OrAsTheirText)
{
    const struct {
        std::string path;
        std::string shown;
        const char* why;
    } rows[] = {
        {"/tmp/a.txt", "/tmp/a.txt", "ASCII"},
        {"/tmp/日本語.txt", "/tmp/日本語.txt", "UTF-8 as it is"},
        {"/tmp/" + kSjisName, "/tmp/日本語.txt", "Shift_JIS"},
        {"/tmp/" + kEucName, "/tmp/漢字.txt", "EUC-JP"},
        {"/home/ユーザー/" + kSjisName, "/home/ユーザー/日本語.txt",
         "a UTF-8 folder and a Shift_JIS name, each read on its own"},
        {"\x8e\x91\x97\xbf/" + kEucName, "資料/漢字.txt",
         "a Shift_JIS folder and an EUC-JP name"},
        {"a\x80z.txt", "a\xef\xbf\xbdz.txt", "a byte nothing decodes: the placeholder"},
        {"\x93", "\xef\xbf\xbd", "a lead byte cut by the name's end"},
        {"\xb4\xc1\x8f\xb0\xa1.txt", "漢〓.txt", "EUC-JP's JIS X 0212, which code page 932 lacks"},
        {"\x87\x40.txt", "①.txt", "an NEC character"},
        {"\xfa\x4a.txt", "Ⅰ.txt", "an IBM duplicate, shown without its code's selector"},
        {"a\n\x93\xfa", "a\n日", "a line feed in a name is not made CR LF"},
        {"", "", "nothing"},
        {"/", "/", "the root"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AfxDisplayName(row.path), row.shown) << row.why;
}

TEST(FileNames, AsFileUris)
{
    const struct {
        std::string path;
        std::string uri;
        const char* why;
    } written[] = {
        {"/tmp/a.txt", "file:///tmp/a.txt", "ASCII"},
        {"/home/ユーザー/" + kSjisName, "file:///home/ユーザー/%93%FA%96%7B%8C%EA.txt",
         "UTF-8 stays readable; only the other bytes are encoded"},
        {"/\xb4\xc1\xbb\xfa\xa5\xc6\xa5\xad.txt", "file:///%B4%C1%BB%FA%A5%C6%A5%AD.txt",
         "EUC-JP whose middle bytes happen to be UTF-8 (C6 A5) is encoded whole"},
        {"/a b/%#?.txt", "file:///a%20b/%25%23%3F.txt", "blanks and the URI's own signs"},
        {"/\x01\x7f", "file:///%01%7F", "control bytes"},
    };
    for (const auto& row : written)
        EXPECT_EQ(AfxFileUriFromPath(row.path), row.uri) << row.why;

    const struct {
        std::string uri;
        bool local;
        std::string path;
        const char* why;
    } read[] = {
        {"file:///tmp/%93%FA.txt", true, "/tmp/\x93\xfa.txt", "percent-decoded to bytes"},
        {"file:///tmp/%e6%97%a5.txt", true, "/tmp/日.txt", "lower-case hex"},
        {"file://localhost/tmp/a", true, "/tmp/a", "this machine by name"},
        {"FILE:/tmp/a", true, "/tmp/a", "no authority, any case"},
        {"file:///tmp/a#part", true, "/tmp/a", "a fragment is no part of the path"},
        {"file:///tmp/100%", true, "/tmp/100%", "a lone percent sign is itself"},
        {"file://elsewhere.example/tmp/a", false, "", "another machine's file"},
        {"http://example/tmp/a", false, "", "another scheme"},
        {"file:///tmp/a%00b", false, "", "a NUL byte names no file"},
        {"file:relative", false, "", "not a path"},
    };
    for (const auto& row : read) {
        std::string path;
        EXPECT_EQ(AfxPathFromFileUri(row.uri, path), row.local) << row.why;
        if (row.local) {
            EXPECT_EQ(path, row.path) << row.why;
        }
    }

    // Any bytes come back as they were.
    std::mt19937 random(18);
    for (int n = 0; n < 2000; ++n) {
        std::string path = "/";
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i)
            path += static_cast<char>(1 + random() % 255);
        std::string back;
        ASSERT_TRUE(AfxPathFromFileUri(AfxFileUriFromPath(path), back));
        ASSERT_EQ(back, path);
    }
}

TEST(FileNames, FullPathsKeepTheNamesBytes)
{
    const std::string cwd = QDir::currentPath().toStdString();
    const struct {
        std::string path;
        std::string full;
    } rows[] = {
        {kSjisName, cwd + "/" + kSjisName},
        {"/tmp/./" + kEucName, "/tmp/" + kEucName},
        {"/tmp//\x93\xfa/../" + kSjisName + "/", "/tmp/" + kSjisName},
        {"/..", "/"},
        {"/tmp/\xef\xbf\xbd", "/tmp/\xef\xbf\xbd"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AfxFullPath(row.path), row.full) << row.path;
}

}  // namespace

// The Windows build's resources (viewer/res/ruvok.rc, compiled by windres
// into a .res file named by RUVOK_RC_RES) against the program's own: the
// version record field by field, and the two icons byte for byte.
#include "dib.h"
#include "resources.h"
#include "resscript.h"

#include <QFile>

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr WORD kRtIcon = 3;
constexpr WORD kRtGroupIcon = 14;
constexpr WORD kRtVersion = 16;

struct ResEntry {
    WORD type = 0;
    WORD name = 0;
    WORD language = 0;
    std::string data;
};

uint32_t U16(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

uint32_t U32(const std::string& b, size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

size_t Align4(size_t n)
{
    return (n + 3) & ~size_t(3);
}

// The entries of a .res file with numeric types and names.
std::vector<ResEntry> ReadRes(const std::string& b)
{
    std::vector<ResEntry> out;
    size_t at = 0;
    while (at + 32 <= b.size()) {
        size_t dataSize = U32(b, at);
        size_t headerSize = U32(b, at + 4);
        if (headerSize < 32 || at + headerSize + dataSize > b.size())
            break;
        ResEntry e;
        if (U16(b, at + 8) == 0xFFFF && U16(b, at + 12) == 0xFFFF) {
            e.type = static_cast<WORD>(U16(b, at + 10));
            e.name = static_cast<WORD>(U16(b, at + 14));
            e.language = static_cast<WORD>(U16(b, at + headerSize - 10));
            e.data = b.substr(at + headerSize, dataSize);
            if (dataSize > 0)
                out.push_back(e);
        }
        at = Align4(at + headerSize + dataSize);
    }
    return out;
}

std::string Utf16ToUtf8(const std::string& b, size_t at, size_t units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.data() + at),
                              static_cast<qsizetype>(units))
        .toStdString();
}

// One node of a version record: key, value and children.
struct VerNode {
    std::string key;
    std::string value;  // raw bytes
    WORD wType = 0;     // 1: text
    WORD wValueLength = 0;
    std::vector<VerNode> children;
};

VerNode ReadVerNode(const std::string& b, size_t at, size_t end)
{
    VerNode n;
    size_t length = U16(b, at);
    n.wValueLength = static_cast<WORD>(U16(b, at + 2));
    n.wType = static_cast<WORD>(U16(b, at + 4));
    size_t nodeEnd = std::min(end, at + length);
    size_t p = at + 6;
    size_t keyStart = p;
    while (p + 1 < nodeEnd && U16(b, p) != 0)
        p += 2;
    n.key = Utf16ToUtf8(b, keyStart, (p - keyStart) / 2);
    p = Align4(p + 2);
    size_t valueBytes = n.wType == 1 ? n.wValueLength * 2u : n.wValueLength;
    n.value = b.substr(std::min(p, nodeEnd), std::min(valueBytes, nodeEnd - std::min(p, nodeEnd)));
    p = Align4(p + valueBytes);
    while (p + 6 <= nodeEnd) {
        size_t childLength = U16(b, p);
        if (childLength == 0)
            break;
        n.children.push_back(ReadVerNode(b, p, nodeEnd));
        p = Align4(p + childLength);
    }
    return n;
}

std::string TextValue(const VerNode& n)
{
    // Length in characters, the terminating NUL included when there is text.
    size_t units = n.value.size() / 2;
    std::string s = Utf16ToUtf8(n.value, 0, units);
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

class WindowsResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray path = qgetenv("RUVOK_RC_RES");
        if (path.isEmpty())
            GTEST_SKIP() << "run by the ruvok_rc test, after windres";
        QFile f(QString::fromLocal8Bit(path));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.constData();
        entries = ReadRes(f.readAll().toStdString());
    }
    std::vector<ResEntry> entries;
};

TEST_F(WindowsResources, VersionRecordMatchesTheProgramsOwn)
{
    const ResEntry* version = nullptr;
    for (const ResEntry& e : entries)
        if (e.type == kRtVersion && e.name == 1)
            version = &e;
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->language, 0x0411);
    VerNode root = ReadVerNode(version->data, 0, version->data.size());
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), 52u);
    AfxVersionInfo want;
    ASSERT_TRUE(AfxLoadVersionInfo(1, want));
    const DWORD fixed[] = {want.dwFileVersionMS, want.dwFileVersionLS,  want.dwProductVersionMS,
                           want.dwProductVersionLS, want.dwFileFlagsMask, want.dwFileFlags,
                           want.dwFileOS,          want.dwFileType,       want.dwFileSubtype,
                           want.dwFileDateMS,      want.dwFileDateLS};
    EXPECT_EQ(U32(root.value, 0), 0xFEEF04BDu) << "signature";
    for (size_t i = 0; i < std::size(fixed); ++i)
        EXPECT_EQ(U32(root.value, 8 + i * 4), fixed[i]) << "fixed field " << i;

    std::vector<std::pair<std::string, std::string>> strings;
    std::string block;
    WORD language = 0, codePage = 0;
    for (const VerNode& child : root.children) {
        if (child.key == "StringFileInfo" && !child.children.empty()) {
            block = child.children[0].key;
            for (const VerNode& s : child.children[0].children)
                strings.emplace_back(s.key, TextValue(s));
        } else if (child.key == "VarFileInfo" && !child.children.empty()) {
            const VerNode& t = child.children[0];
            EXPECT_EQ(t.key, "Translation");
            if (t.value.size() >= 4) {
                language = static_cast<WORD>(U16(t.value, 0));
                codePage = static_cast<WORD>(U16(t.value, 2));
            }
        }
    }
    EXPECT_EQ(block, want.block);
    EXPECT_EQ(strings, want.strings);
    EXPECT_EQ(language, want.wLanguage);
    EXPECT_EQ(codePage, want.wCodePage);
}

TEST_F(WindowsResources, IconsAreTheProgramsOwnInOrder)
{
    std::map<WORD, std::string> icons;  // RT_ICON by its id
    std::vector<WORD> groups;
    for (const ResEntry& e : entries) {
        if (e.type == kRtIcon)
            icons[e.name] = e.data;
        if (e.type == kRtGroupIcon)
            groups.push_back(e.name);
    }
    // 129 is icon index 1, the document type's.
    EXPECT_EQ(groups, (std::vector<WORD>{IDR_MAINFRAME, IDR_TEXTTYPE}));
    for (const ResEntry& e : entries) {
        if (e.type != kRtGroupIcon)
            continue;
        const std::string file =
            AfxReadResourceFile(AfxGetResourceScript().iconFiles.at(e.name));
        // The group's directory names the images the .ico file holds.
        ASSERT_GE(e.data.size(), 6u);
        size_t count = U16(e.data, 4);
        ASSERT_EQ(count, U16(file, 4)) << e.name;
        for (size_t i = 0; i < count; ++i) {
            WORD id = static_cast<WORD>(U16(e.data, 6 + i * 14 + 12));
            size_t size = U32(file, 6 + i * 16 + 8);
            size_t offset = U32(file, 6 + i * 16 + 12);
            EXPECT_EQ(icons[id], file.substr(offset, size)) << e.name << " image " << i;
        }
    }
}

}  // namespace

// File names decoded for the user, as file: URIs, and put together and
// taken apart as bytes (see filename.h).
#include "filename.h"

#include "cp932text.h"
#include "kanjicode_length.h"
#include "unicode_form.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// One name that is not UTF-8, read as a text of that name would be read.
std::string DecodeLegacyName(const std::string& name)
{
    std::unique_ptr<char[]> out(new char[2 * name.size() + 1]);
    const std::size_t n = ConvertToSjisLength(out.get(), name.c_str(), name.size());
    const QString decoded = cp932::Decode(out.get(), n);
    // The conversion's line ends are a text's, not a name's.
    const bool hadCr = name.find('\r') != std::string::npos;
    QString shown;
    shown.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size();) {
        char32_t c = decoded.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < decoded.size())
            c = QChar::surrogateToUcs4(decoded.at(i), decoded.at(i + 1));
        const qsizetype units = c > 0xFFFF ? 2 : 1;
        // A duplicate's selector keeps its code, which a name shown has no
        // need of; a byte the code page lacks is the usual placeholder.
        const bool selector = c >= cp932::kFirstSelector && c < cp932::kFirstSelector + 0xF0;
        if (c >= cp932::kReservedBase && c <= cp932::kReservedBase + 0xFF)
            shown += QChar(kReplacement);
        else if (!selector && !(c == U'\r' && !hadCr))
            shown += decoded.mid(i, units);
        i += units;
    }
    return shown.toStdString();
}

bool IsUnescapedUriByte(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7F)
        return false;
    return std::strchr("%#?\"<>\\^`{|}[]", c) == nullptr;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsThisHost(const std::string& host)
{
    if (host.empty() || host == "localhost")
        return true;
#ifdef _WIN32
    return false;
#else
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && host == name;
#endif
}

}  // namespace

bool AfxIsUtf8(const std::string& bytes)
{
    return ValidUtf8Prefix(bytes.data(), bytes.size()) == bytes.size();
}

std::string AfxDisplayName(const std::string& path)
{
#ifdef _WIN32
    return QString::fromLocal8Bit(path.c_str()).toStdString();
#else
    if (AfxIsUtf8(path))
        return path;
    // Each name on its own: a folder made on one system may hold files
    // copied from another.
    std::string shown;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string name = path.substr(start, slash - start);
        shown += AfxIsUtf8(name) ? name : DecodeLegacyName(name);
        if (slash == std::string::npos)
            return shown;
        shown += '/';
        start = slash + 1;
    }
#endif
}

std::string AfxFileUriFromPath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    std::size_t start = 0;
    for (;;) {
        // A name that is UTF-8 stays readable; in any other, every byte above
        // ASCII is encoded (some pairs of Shift_JIS or EUC-JP bytes happen to
        // be UTF-8 too, which would leave stray characters in the text).
        const std::size_t slash = path.find('/', start);
        const std::string name = path.substr(start, slash - start);
        const bool utf8 = AfxIsUtf8(name);
        for (char ch : name) {
            const auto c = static_cast<unsigned char>(ch);
            if ((c >= 0x80 && utf8) || IsUnescapedUriByte(c)) {
                uri += ch;
            } else {
                uri += '%';
                uri += kHex[c >> 4];
                uri += kHex[c & 0xF];
            }
        }
        if (slash == std::string::npos)
            return uri;
        uri += '/';
        start = slash + 1;
    }
}

bool AfxPathFromFileUri(const std::string& uri, std::string& path)
{
    constexpr char kScheme[] = "file:";
    constexpr std::size_t kSchemeLength = sizeof kScheme - 1;
    if (uri.size() < kSchemeLength)
        return false;
    for (std::size_t i = 0; i < kSchemeLength; ++i) {
        char c = uri[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kScheme[i])
            return false;
    }
    std::size_t at = kSchemeLength;
    if (uri.compare(at, 2, "//") == 0) {
        const std::size_t slash = uri.find('/', at + 2);
        if (slash == std::string::npos || !IsThisHost(uri.substr(at + 2, slash - at - 2)))
            return false;
        at = slash;
    }
    if (at >= uri.size() || uri[at] != '/')
        return false;
    const std::size_t end = std::min(uri.find_first_of("?#", at), uri.size());
    std::string decoded;
    for (std::size_t i = at; i < end; ++i) {
        int high, low;
        if (uri[i] == '%' && i + 2 < end && (high = HexValue(uri[i + 1])) >= 0 &&
            (low = HexValue(uri[i + 2])) >= 0) {
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += uri[i];
        }
    }
    if (decoded.find('\0') != std::string::npos)
        return false;
    path = decoded;
    return true;
}

std::string AfxChildPath(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string AfxFolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool AfxIsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool AfxPathExists(const std::string& path)
{
    struct stat st;
#ifdef _WIN32
    return ::stat(path.c_str(), &st) == 0;  // no links to dangle
#else
    return ::lstat(path.c_str(), &st) == 0;
#endif
}

// File names as the file system holds them and as the user reads them.
//
// On POSIX a path is bytes: whatever a folder's entries are named, and
// Japanese archives are full of Shift_JIS and EUC-JP names. The framework
// keeps every path as those bytes, from where it came in to open(2), and
// turns it into text only to show it: each name between slashes as UTF-8
// where it is valid UTF-8, otherwise as the text conversion reads a text
// (Shift_JIS or EUC-JP, through code page 932). On Windows a path is in the
// ANSI code page, which is code page 932 already.
#ifndef RUVOK_FILENAME_H
#define RUVOK_FILENAME_H

#include <string>

// The path as the user reads it, in UTF-8. A byte nothing decodes shows as
// U+FFFD; the bytes themselves stay what names the file.
std::string AfxDisplayName(const std::string& path);

// Whether the bytes are whole, valid UTF-8 characters throughout.
bool AfxIsUtf8(const std::string& bytes);

// A local file's URI: "file://" and the path, percent-encoded: '%', blanks,
// control bytes and the URI's own delimiters, and each byte above ASCII in a
// name that is not UTF-8. A UTF-8 name stays as it reads.
std::string AfxFileUriFromPath(const std::string& path);

// The path of a "file:" URI, percent-decoded to its bytes; false when the
// URI is not one (another scheme, another host, a NUL byte in the path).
bool AfxPathFromFileUri(const std::string& uri, std::string& path);

// Paths as bytes, never decoded: name in folder (no doubled slash at the
// root); the folder path is in ("/" at the root, empty without a slash);
// whether path is a folder (through a link); whether anything, a dangling
// link too, is there.
std::string AfxChildPath(const std::string& folder, const std::string& name);
std::string AfxFolderOf(const std::string& path);
bool AfxIsFolder(const std::string& path);
bool AfxPathExists(const std::string& path);

#endif

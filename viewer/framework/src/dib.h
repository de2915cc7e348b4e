// Device-independent bitmaps as the resource files hold them: .bmp files
// and the images inside .ico and .cur files. Every size and offset is checked
// against the bytes at hand; what does not fit is refused, never read past.
#ifndef RUVOK_DIB_H
#define RUVOK_DIB_H

#include "afx.h"

#include <QImage>

#include <string>
#include <vector>

// What a bitmap's header says.
struct AfxDibInfo {
    int width = 0;
    int height = 0;         // of the colour image (half the stored height in icons)
    int nBitCount = 0;      // 1, 4, 8, 24 or 32
    int nColors = 0;        // palette entries
    DWORD compression = 0;  // only 0 (uncompressed) is read
    bool bBottomUp = true;
};

// A .bmp file. Indexed images keep their palette. A null image if unreadable.
QImage AfxDecodeBmpFile(const std::string& bytes, AfxDibInfo* pInfo = nullptr);

// One image of an .ico (type 1) or .cur (type 2) file.
struct AfxIconDirImage {
    QImage image;  // ARGB32, the AND mask as alpha
    AfxDibInfo info;
    int xHotSpot = 0;
    int yHotSpot = 0;
};
// Every image of the file, or empty when the file is not of the type asked.
std::vector<AfxIconDirImage> AfxDecodeIconFile(const std::string& bytes, int nType);

#endif

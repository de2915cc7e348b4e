// Device-independent bitmaps of .bmp, .ico and .cur files, checked (see dib.h).
#include "dib.h"

#include <cstdint>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kIconDirSize = 6;
constexpr size_t kIconDirEntrySize = 16;
constexpr int kMaxSide = 4096;  // far beyond any resource; bounds the allocation

uint32_t U16(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

uint32_t U32(const std::string& b, size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

size_t RowBytes(int width, int nBitCount)
{
    return ((static_cast<size_t>(width) * nBitCount + 31) / 32) * 4;
}

// The DIB at `at`: header, palette, pixels. nHeightDivisor is 2 for icons,
// whose stored height covers the colour image and the mask.
bool ReadDibHeader(const std::string& b, size_t at, int nHeightDivisor, AfxDibInfo& info,
                   size_t& paletteAt, size_t& pixelsAt)
{
    if (at > b.size() || b.size() - at < kInfoHeaderSize)
        return false;
    uint32_t headerSize = U32(b, at);
    if (headerSize < kInfoHeaderSize || headerSize > b.size() - at)
        return false;
    // As 64-bit numbers, so that negating the smallest 32-bit one is safe.
    int64_t width = static_cast<int32_t>(U32(b, at + 4));
    int64_t height = static_cast<int32_t>(U32(b, at + 8));
    info.nBitCount = static_cast<int>(U16(b, at + 14));
    info.compression = U32(b, at + 16);
    uint32_t colorsUsed = U32(b, at + 32);
    info.bBottomUp = height > 0;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide * 2)
        return false;
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height / nHeightDivisor);
    if (info.height <= 0 || info.compression != 0)
        return false;
    switch (info.nBitCount) {
    case 1:
    case 4:
    case 8:
        info.nColors = colorsUsed != 0 ? static_cast<int>(colorsUsed) : 1 << info.nBitCount;
        if (info.nColors > 1 << info.nBitCount)
            return false;
        break;
    case 24:
    case 32:
        info.nColors = 0;
        break;
    default:
        return false;
    }
    paletteAt = at + headerSize;
    pixelsAt = paletteAt + static_cast<size_t>(info.nColors) * 4;
    return pixelsAt <= b.size();
}

QRgb PaletteColor(const std::string& b, size_t paletteAt, int index)
{
    size_t e = paletteAt + static_cast<size_t>(index) * 4;
    return qRgb(static_cast<uint8_t>(b[e + 2]), static_cast<uint8_t>(b[e + 1]),
                static_cast<uint8_t>(b[e]));
}

// The colour image: indexed (with its palette) for up to 8 bits, RGB32 above.
QImage ReadPixels(const std::string& b, const AfxDibInfo& info, size_t paletteAt,
                  size_t pixelsAt)
{
    size_t rowBytes = RowBytes(info.width, info.nBitCount);
    if ((b.size() - pixelsAt) / rowBytes < static_cast<size_t>(info.height))
        return QImage();
    bool indexed = info.nBitCount <= 8;
    QImage image(info.width, info.height, indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    if (indexed) {
        QVector<QRgb> table;
        for (int i = 0; i < info.nColors; ++i)
            table.push_back(PaletteColor(b, paletteAt, i));
        image.setColorTable(table);
    }
    for (int row = 0; row < info.height; ++row) {
        int y = info.bBottomUp ? info.height - 1 - row : row;
        const uint8_t* src =
            reinterpret_cast<const uint8_t*>(b.data()) + pixelsAt + row * rowBytes;
        uchar* dst = image.scanLine(y);
        for (int x = 0; x < info.width; ++x) {
            if (indexed) {
                int bitPos = x * info.nBitCount;
                int shift = 8 - info.nBitCount - bitPos % 8;
                int index = (src[bitPos / 8] >> shift) & ((1 << info.nBitCount) - 1);
                // An index beyond the palette shows as its first colour.
                dst[x] = static_cast<uchar>(index < info.nColors ? index : 0);
            } else {
                const uint8_t* p = src + x * (info.nBitCount / 8);
                reinterpret_cast<QRgb*>(dst)[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    return image;
}

}  // namespace

QImage AfxDecodeBmpFile(const std::string& bytes, AfxDibInfo* pInfo)
{
    if (bytes.size() < kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return QImage();
    AfxDibInfo info;
    size_t paletteAt = 0, pixelsAt = 0;
    if (!ReadDibHeader(bytes, kFileHeaderSize, 1, info, paletteAt, pixelsAt))
        return QImage();
    // The file header's offset to the pixels wins over the packed layout.
    size_t offBits = U32(bytes, 10);
    if (offBits < pixelsAt || offBits > bytes.size())
        return QImage();
    QImage image = ReadPixels(bytes, info, paletteAt, offBits);
    if (pInfo != nullptr && !image.isNull())
        *pInfo = info;
    return image;
}

std::vector<AfxIconDirImage> AfxDecodeIconFile(const std::string& bytes, int nType)
{
    std::vector<AfxIconDirImage> images;
    if (bytes.size() < kIconDirSize || U16(bytes, 0) != 0 || static_cast<int>(U16(bytes, 2)) != nType)
        return images;
    size_t count = U16(bytes, 4);
    if ((bytes.size() - kIconDirSize) / kIconDirEntrySize < count)
        return images;
    for (size_t i = 0; i < count; ++i) {
        size_t entry = kIconDirSize + i * kIconDirEntrySize;
        size_t size = U32(bytes, entry + 8);
        size_t offset = U32(bytes, entry + 12);
        if (offset > bytes.size() || size > bytes.size() - offset)
            continue;
        // The image's own bytes only, so nothing past it is read.
        std::string dib = bytes.substr(offset, size);
        AfxIconDirImage out;
        size_t paletteAt = 0, pixelsAt = 0;
        if (!ReadDibHeader(dib, 0, 2, out.info, paletteAt, pixelsAt))
            continue;
        QImage colour = ReadPixels(dib, out.info, paletteAt, pixelsAt);
        if (colour.isNull())
            continue;
        size_t maskAt = pixelsAt + RowBytes(out.info.width, out.info.nBitCount) * out.info.height;
        size_t maskRow = RowBytes(out.info.width, 1);
        if (maskAt > dib.size() || (dib.size() - maskAt) / maskRow < static_cast<size_t>(out.info.height))
            continue;
        out.image = QImage(out.info.width, out.info.height, QImage::Format_ARGB32);
        for (int row = 0; row < out.info.height; ++row) {
            int y = out.info.bBottomUp ? out.info.height - 1 - row : row;
            const uint8_t* mask = reinterpret_cast<const uint8_t*>(dib.data()) + maskAt + row * maskRow;
            QRgb* dst = reinterpret_cast<QRgb*>(out.image.scanLine(y));
            for (int x = 0; x < out.info.width; ++x) {
                bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
                QRgb c = colour.pixel(x, y);
                if (!transparent) {
                    dst[x] = c | 0xFF000000u;
                } else if (qGray(c) > 0 && nType == 2) {
                    // Screen-inverting pixels of a cursor: drawn black, the
                    // nearest a composited pointer can show.
                    dst[x] = qRgba(0, 0, 0, 255);
                } else {
                    dst[x] = 0;
                }
            }
        }
        if (nType == 2) {
            out.xHotSpot = static_cast<int>(U16(bytes, entry + 4));
            out.yHotSpot = static_cast<int>(U16(bytes, entry + 6));
        }
        images.push_back(out);
    }
    return images;
}

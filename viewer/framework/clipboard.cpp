#include "clipboard.h"

#include "cp932text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

#include <memory>

namespace {

bool g_open = false;
// The block GetClipboardData last handed out, or SetClipboardData took over:
// the clipboard's until the next one.
HGLOBAL g_ownedBlock = nullptr;
// A dropped text stands in for the clipboard while it is pasted.
std::unique_ptr<QMimeData> g_redirect;
int g_redirectDepth = 0;

const QMimeData* Source()
{
    if (g_redirectDepth > 0)
        return g_redirect.get();
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

bool IsTextFormat(const QString& format)
{
    return format.startsWith(QLatin1String("text/plain"));
}

// A copy of data with its text replaced: every other format Qt can hand
// over stays as it was.
std::unique_ptr<QMimeData> WithText(const QMimeData* data, const QString* text)
{
    auto copy = std::make_unique<QMimeData>();
    if (data != nullptr) {
        const QStringList formats = data->formats();
        for (const QString& format : formats) {
            if (!IsTextFormat(format))
                copy->setData(format, data->data(format));
        }
        if (data->hasImage())
            copy->setImageData(data->imageData());
        if (data->hasColor())
            copy->setColorData(data->colorData());
    }
    if (text != nullptr)
        copy->setText(*text);
    return copy;
}

void ReplaceOwnedBlock(HGLOBAL hMem)
{
    if (g_ownedBlock != nullptr && g_ownedBlock != hMem)
        GlobalFree(g_ownedBlock);
    g_ownedBlock = hMem;
}

}  // namespace

BOOL IsClipboardFormatAvailable(UINT format)
{
    const QMimeData* data = Source();
    if (data == nullptr)
        return FALSE;
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT:
        return data->hasText() ? TRUE : FALSE;
    case CF_BITMAP:
        return data->hasImage() ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

BOOL OpenClipboard(HWND)
{
    if (g_open)
        return FALSE;
    g_open = true;
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!g_open)
        return FALSE;
    g_open = false;
    return TRUE;
}

BOOL EmptyClipboard()
{
    if (!g_open)
        return FALSE;
    ReplaceOwnedBlock(nullptr);
    if (g_redirectDepth > 0) {
        g_redirect = std::make_unique<QMimeData>();
    } else if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear(QClipboard::Clipboard);
    }
    return TRUE;
}

HANDLE GetClipboardData(UINT uFormat)
{
    const QMimeData* data = Source();
    if (!g_open || uFormat != CF_TEXT || data == nullptr || !data->hasText())
        return nullptr;
    const QByteArray bytes = cp932::Encode(data->text());
    HGLOBAL h = winapi_detail::AllocBlock(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes.size()) + 1);
    if (h == nullptr)
        return nullptr;
    auto* p = static_cast<char*>(winapi_detail::LockBlock(h));
    std::memcpy(p, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
    GlobalUnlock(h);
    ReplaceOwnedBlock(h);
    return h;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem)
{
    if (!g_open || uFormat != CF_TEXT)
        return nullptr;
    const auto* p = static_cast<const char*>(winapi_detail::LockBlock(hMem));
    if (p == nullptr)
        return nullptr;
    // The text is the block's bytes up to its NUL, never past the block.
    const SIZE_T size = GlobalSize(hMem);
    const void* nul = std::memchr(p, 0, size);
    const std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - p)
                                         : size;
    const QString text = cp932::Decode(p, n);
    GlobalUnlock(hMem);

    std::unique_ptr<QMimeData> replaced = WithText(Source(), &text);
    if (g_redirectDepth > 0) {
        g_redirect = std::move(replaced);
    } else if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setMimeData(replaced.release(), QClipboard::Clipboard);
    }
    ReplaceOwnedBlock(hMem);
    return hMem;
}

ClipboardRedirect::ClipboardRedirect(const QMimeData* pSource)
{
    if (g_redirectDepth++ == 0) {
        const QString text = pSource != nullptr ? pSource->text() : QString();
        const bool hasText = pSource != nullptr && pSource->hasText();
        g_redirect = WithText(pSource, hasText ? &text : nullptr);
    }
}

ClipboardRedirect::~ClipboardRedirect()
{
    if (--g_redirectDepth == 0)
        g_redirect.reset();
}

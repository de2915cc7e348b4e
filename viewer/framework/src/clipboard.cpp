// The CF_TEXT clipboard over Qt's, and a dropped text standing in for it
// (see clipboard.h).
#include "clipboard.h"

#include "cp932text.h"
#ifdef RUVOK_HAVE_XCB
#include "x11clipboard.h"
#endif

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>
#include <QStringList>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

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

// The targets X11 programs offer text under. Qt lists each as "text/plain"
// and hands it over only decoded (STRING as Latin-1); under these names the
// bytes come from the X11 clipboard as read in x11clipboard.cpp.
const char kUtf8String[] = "UTF8_STRING";
const char kString[] = "STRING";
const char kText[] = "TEXT";
const char* const kX11TextTargets[] = {kUtf8String, kString, kText, "COMPOUND_TEXT"};

bool IsTextFormat(const QString& format)
{
    for (const char* target : kX11TextTargets) {
        if (format == QLatin1String(target))
            return true;
    }
    return format.startsWith(QLatin1String("text/plain"));
}

enum class Charset { None, Utf8, Wide, Legacy };

// What a text format says of its bytes: "text/plain;charset=EUC-JP" is
// legacy, "text/plain;charset=utf-8" UTF-8; UTF-16 and UTF-32 are wide
// (their bytes are no byte text at all).
Charset CharsetOf(const QString& format)
{
    if (!format.startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive))
        return Charset::None;
    const qsizetype at = format.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (at < 0)
        return Charset::None;
    QString name = format.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    name.remove(QLatin1Char('"'));
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return Charset::Utf8;
    if (name.startsWith(QLatin1String("utf-16")) || name.startsWith(QLatin1String("utf-32"))
        || name.startsWith(QLatin1String("ucs")) || name.startsWith(QLatin1String("iso-10646")))
        return Charset::Wide;
    return Charset::Legacy;
}

// The text of one format, as far as a NUL (which ends CF_TEXT).
QByteArray TextOf(const QMimeData* data, const QString& format)
{
    QByteArray bytes = data->data(format);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return bytes;
}

// CF_TEXT as read from the clipboard, and what that text is to the program
// that offered it.
struct ClipText {
    QByteArray bytes;
    // The text as other programs read it, where they can; empty (with
    // `known` false) for a charset no decoder here knows.
    QString reading;
    bool known = true;
    // Unicode text beyond ASCII: characters, never legacy bytes to mend
    // (those it lacks became "?" in bytes). ASCII alone may be JIS.
    bool unicode = false;
};

ClipText FromUnicode(const QString& text)
{
    ClipText clip;
    cp932::Encode(text, clip.bytes);
    clip.reading = text;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            clip.unicode = true;
            break;
        }
    }
    return clip;
}

// Unicode text as code page 932, or nothing if the bytes are not UTF-8.
std::optional<ClipText> FromUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return FromUnicode(text);
}

// Legacy bytes, taken as they are, beside their reading.
ClipText AsBytes(const QByteArray& bytes, const QString& reading, bool known = true)
{
    ClipText clip;
    clip.bytes = bytes;
    clip.reading = reading;
    clip.known = known;
    return clip;
}

// How a program reads bytes in a named charset (the decoder of that name).
ClipText InCharset(const QByteArray& bytes, const QString& format)
{
    const qsizetype at = format.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    QString name = format.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed();
    name.remove(QLatin1Char('"'));
    QStringDecoder decoder(name.toLatin1().constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return AsBytes(bytes, QString(), false);
    const QString reading = decoder.decode(bytes);
    return AsBytes(bytes, reading, !decoder.hasError());
}

// CF_TEXT from what data offers, as Windows would have it: Unicode text
// becomes code page 932 (with the best-fit forms); bytes in a legacy
// charset, and plain text that is not UTF-8, are taken as they are, so that
// whoever pastes them can tell their encoding from the bytes. Nothing is
// decoded by a guess and lost to "?" on the way. In order of trust: text
// said to be UTF-8 that is; bytes in a named legacy charset; an X11 target's
// bytes; text said to be UTF-8 that is not; "text/plain"; whatever else Qt
// reads as text (a list of URLs, say).
std::optional<ClipText> TextBytes(const QMimeData* data)
{
    std::vector<QByteArray> utf8{TextOf(data, QLatin1String(kUtf8String))};
    std::vector<std::pair<QByteArray, QString>> legacy;
    const std::vector<QByteArray> x11{TextOf(data, QLatin1String(kString)),
                                      TextOf(data, QLatin1String(kText))};
    QByteArray plain;
    const QStringList formats = data->formats();
    for (const QString& format : formats) {
        switch (CharsetOf(format)) {
        case Charset::Utf8:
            utf8.push_back(TextOf(data, format));
            break;
        case Charset::Legacy:
            legacy.emplace_back(TextOf(data, format), format);
            break;
        case Charset::Wide:
            break;
        case Charset::None:
            if (plain.isEmpty() && format == QLatin1String("text/plain"))
                plain = TextOf(data, format);
            break;
        }
    }

    for (const QByteArray& bytes : utf8) {
        if (!bytes.isEmpty()) {
            if (std::optional<ClipText> text = FromUtf8(bytes))
                return text;
        }
    }
    for (const auto& [bytes, format] : legacy) {
        if (!bytes.isEmpty())
            return InCharset(bytes, format);
    }
    // X11 programs read STRING (and TEXT, by what it mostly is) as Latin-1.
    for (const QByteArray& bytes : x11) {
        if (!bytes.isEmpty())
            return FromUtf8(bytes).value_or(AsBytes(bytes, QString::fromLatin1(bytes)));
    }
    for (const QByteArray& bytes : utf8) {
        if (!bytes.isEmpty())
            return AsBytes(bytes, QString::fromUtf8(bytes));
    }
    if (!plain.isEmpty())
        return FromUtf8(plain).value_or(AsBytes(plain, QString::fromUtf8(plain)));
    if (data->hasText()) {
        const QString text = data->text();
        if (!text.isEmpty())
            return FromUnicode(text);
    }
    return std::nullopt;
}

// Every line end as LF: a text with CR LF reads as one with LF.
QString WithLfLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Whether text is to be put back in place of what the clipboard read: only
// where the clipboard held legacy bytes (or ASCII, which JIS is) that the
// conversion read as other characters. Unicode text stays its owner's: put
// back it could only lose characters to "?" or to a wrong reading. Text
// that reads as the clipboard's did (line ends aside, the code page's own
// forms of the Linux ones taken for them) stays too.
bool ChangesTheReading(const ClipText& read, const QString& text)
{
    if (read.unicode)
        return false;
    if (!read.known)
        return true;
    return WithLfLineEnds(cp932::MakeStorable(read.reading)) != WithLfLineEnds(text);
}

// The clipboard's text as read while it is open, and the text a paste
// converted but left off the clipboard (its owner keeps offering its own),
// for as long as the clipboard offers what it was converted from.
std::optional<ClipText> g_lastRead;
struct HeldText {
    QByteArray from;
    QByteArray bytes;
};
std::optional<HeldText> g_held;

// What X11 clipboards list beside their data, describing it: never data to
// carry over.
bool IsX11MetaTarget(const QString& format)
{
    for (const char* target : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"}) {
        if (format == QLatin1String(target))
            return true;
    }
    return false;
}

// A copy of data with its text replaced: every other format Qt can hand
// over stays as it was.
std::unique_ptr<QMimeData> WithText(const QMimeData* data, const QString* text)
{
    auto copy = std::make_unique<QMimeData>();
    if (data != nullptr) {
        const QStringList formats = data->formats();
        for (const QString& format : formats) {
            if (!IsTextFormat(format) && !IsX11MetaTarget(format))
                copy->setData(format, data->data(format));
        }
        if (data->hasImage())
            copy->setImageData(data->imageData());
        if (data->hasColor())
            copy->setColorData(data->colorData());
    }
    if (text != nullptr) {
        // Offered as UTF-8 by name too, which many programs ask for first.
        copy->setText(*text);
        copy->setData(QStringLiteral("text/plain;charset=utf-8"), text->toUtf8());
    }
    return copy;
}

// A whole copy of data, its text in every form it came in included, so that
// CF_TEXT is read from it as from the clipboard.
std::unique_ptr<QMimeData> CopyOf(const QMimeData* data)
{
    std::unique_ptr<QMimeData> copy = WithText(data, nullptr);
    if (data == nullptr)
        return copy;
    const QStringList formats = data->formats();
    for (const QString& format : formats) {
        if (IsTextFormat(format))
            copy->setData(format, data->data(format));
    }
    if (data->hasText() && !copy->hasText())
        copy->setText(data->text());
    return copy;
}

void ReplaceOwnedBlock(HGLOBAL hMem)
{
    if (g_ownedBlock != nullptr && g_ownedBlock != hMem)
        GlobalFree(g_ownedBlock);
    g_ownedBlock = hMem;
}

}  // namespace

bool OffersText(const QMimeData* data)
{
    if (data == nullptr)
        return false;
    if (data->hasText())
        return true;
    const QStringList formats = data->formats();
    for (const QString& format : formats) {
        const Charset charset = CharsetOf(format);
        if (charset == Charset::Utf8 || charset == Charset::Legacy)
            return true;
        for (const char* target : {kUtf8String, kString, kText}) {
            if (format == QLatin1String(target))
                return true;
        }
    }
    return false;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    const QMimeData* data = Source();
    if (data == nullptr)
        return FALSE;
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT:
        return OffersText(data) ? TRUE : FALSE;
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
    g_lastRead.reset();
    return TRUE;
}

HANDLE GetClipboardData(UINT uFormat)
{
    const QMimeData* data = Source();
    if (!g_open || uFormat != CF_TEXT || data == nullptr)
        return nullptr;
    std::optional<ClipText> text;
#ifdef RUVOK_HAVE_XCB
    // Another program's X11 text, as the bytes it offered.
    if (g_redirectDepth == 0 && QGuiApplication::platformName() == QLatin1String("xcb")
        && !QGuiApplication::clipboard()->ownsClipboard()) {
        if (const std::unique_ptr<QMimeData> offered = ReadX11ClipboardText())
            text = TextBytes(offered.get());
    }
#endif
    if (!text)
        text = TextBytes(data);
    if (!text)
        return nullptr;
    g_lastRead = text;
    // What a paste converted and left off the clipboard, while the clipboard
    // still offers what it came from.
    const bool held = g_redirectDepth == 0 && g_held && g_held->from == text->bytes;
    if (!held)
        g_held.reset();
    const QByteArray& bytes = held ? g_held->bytes : text->bytes;
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
    const QByteArray bytes(p, static_cast<qsizetype>(n));
    GlobalUnlock(hMem);

    // Text that is not to be put back stays off the clipboard: its owner
    // keeps offering its own (also after this program ends), and CF_TEXT
    // gives the new text until the clipboard changes.
    if (g_redirectDepth == 0 && g_lastRead && !ChangesTheReading(*g_lastRead, text)) {
        static bool watching = false;
        if (!watching) {
            if (QClipboard* clipboard = QGuiApplication::clipboard()) {
                watching = true;
                QObject::connect(clipboard, &QClipboard::changed, [](QClipboard::Mode mode) {
                    if (mode == QClipboard::Clipboard)
                        g_held.reset();
                });
            }
        }
        g_held = HeldText{g_lastRead->bytes, bytes};
        ReplaceOwnedBlock(hMem);
        return hMem;
    }
    g_held.reset();
    std::unique_ptr<QMimeData> replaced = WithText(Source(), &text);
    if (g_redirectDepth > 0) {
        g_redirect = std::move(replaced);
    } else if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setMimeData(replaced.release(), QClipboard::Clipboard);
    }
    ReplaceOwnedBlock(hMem);
    return hMem;
}

ClipboardRedirect::ClipboardRedirect(const QMimeData* pSource, From from)
{
    if (g_redirectDepth++ != 0)
        return;
#ifdef RUVOK_HAVE_XCB
    // Another program's selection, as the bytes it offered; where it offers
    // no text that way, what Qt made of it.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const char* selection = nullptr;
    if (from == From::XSelection && x11 && !QGuiApplication::clipboard()->ownsSelection())
        selection = "PRIMARY";
    else if (from == From::XDrop && x11)
        selection = "XdndSelection";
    if (selection != nullptr) {
        std::unique_ptr<QMimeData> offered = ReadX11SelectionText(selection);
        if (offered != nullptr && TextBytes(offered.get())) {
            g_redirect = std::move(offered);
            return;
        }
    }
#else
    (void)from;
#endif
    g_redirect = CopyOf(pSource);
}

ClipboardRedirect::~ClipboardRedirect()
{
    if (--g_redirectDepth == 0)
        g_redirect.reset();
}

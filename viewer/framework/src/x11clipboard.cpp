// Reading the X11 clipboard's text targets as bytes (see x11clipboard.h).
#include "x11clipboard.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// As long as Qt itself waits for a selection owner.
constexpr std::chrono::milliseconds kTimeout(5000);
// More than the edit control can take: a larger text is not read at all.
constexpr std::size_t kMostBytes = 64u << 20;
constexpr std::uint32_t kWholeProperty = 0x1FFFFFFF;  // in 32-bit units

template <class T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

using Clock = std::chrono::steady_clock;

// One connection and one unseen window, to receive the selection on.
class Requestor {
public:
    explicit Requestor(const char* selection)
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c) != 0)
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        if (screen == nullptr)
            return;
        m_window = xcb_generate_id(m_c);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
        m_clipboard = Atom(selection);
        m_property = Atom("RUVOK_CLIPBOARD");
        m_incr = Atom("INCR");
        m_ok = m_clipboard != XCB_NONE && m_property != XCB_NONE;
    }

    ~Requestor()
    {
        if (m_window != 0)
            xcb_destroy_window(m_c, m_window);
        xcb_disconnect(m_c);
    }

    Requestor(const Requestor&) = delete;
    Requestor& operator=(const Requestor&) = delete;

    bool Ok() const { return m_ok; }

    bool HasOwner()
    {
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
        return owner != nullptr && owner->owner != XCB_NONE;
    }

    xcb_atom_t Atom(const char* name)
    {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply != nullptr ? reply->atom : XCB_NONE;
    }

    QByteArray NameOf(xcb_atom_t atom)
    {
        Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_c, xcb_get_atom_name(m_c, atom), nullptr));
        if (reply == nullptr)
            return QByteArray();
        return QByteArray(xcb_get_atom_name_name(reply.get()),
                          xcb_get_atom_name_name_length(reply.get()));
    }

    // The clipboard converted to target; false when the owner refuses or
    // does not answer in time.
    bool Convert(xcb_atom_t target, QByteArray& bytes, xcb_atom_t* type = nullptr)
    {
        const Clock::time_point deadline = Clock::now() + kTimeout;
        xcb_delete_property(m_c, m_window, m_property);
        xcb_convert_selection(m_c, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        bool refused = false;
        const bool notified = WaitFor(deadline, [&](const xcb_generic_event_t* e) {
            if ((e->response_type & 0x7F) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* n = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            if (n->requestor != m_window || n->target != target)
                return false;
            refused = n->property == XCB_NONE;
            return true;
        });
        if (!notified || refused)
            return false;
        xcb_atom_t got = XCB_NONE;
        if (!TakeProperty(bytes, got))
            return false;
        if (got == m_incr)
            return TakeIncrementally(deadline, bytes, type);
        if (type != nullptr)
            *type = got;
        return true;
    }

private:
    template <class Matches>
    bool WaitFor(Clock::time_point deadline, Matches matches)
    {
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
                const bool found = matches(e);
                std::free(e);
                if (found)
                    return true;
            }
            if (xcb_connection_has_error(m_c) != 0)
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    // The property's whole value, then the property deleted (which is how
    // the owner learns that it was read).
    bool TakeProperty(QByteArray& bytes, xcb_atom_t& type)
    {
        bytes.clear();
        std::uint32_t offset = 0;
        for (;;) {
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                m_c,
                xcb_get_property(m_c, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, offset,
                                 kWholeProperty),
                nullptr));
            if (reply == nullptr)
                return false;
            type = reply->type;
            const int n = xcb_get_property_value_length(reply.get());
            bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), n);
            if (static_cast<std::size_t>(bytes.size()) > kMostBytes)
                return false;
            if (reply->bytes_after == 0 || n == 0)
                break;
            offset += static_cast<std::uint32_t>(n) / 4;
        }
        xcb_delete_property(m_c, m_window, m_property);
        xcb_flush(m_c);
        return true;
    }

    // A large text comes in pieces, each a new value of the property, until
    // an empty one.
    bool TakeIncrementally(Clock::time_point deadline, QByteArray& bytes, xcb_atom_t* type)
    {
        bytes.clear();
        for (;;) {
            const bool changed = WaitFor(deadline, [&](const xcb_generic_event_t* e) {
                if ((e->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                return p->window == m_window && p->atom == m_property
                       && p->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!changed)
                return false;
            QByteArray piece;
            xcb_atom_t got = XCB_NONE;
            if (!TakeProperty(piece, got))
                return false;
            if (piece.isEmpty())
                return true;
            if (type != nullptr)
                *type = got;
            bytes.append(piece);
            if (static_cast<std::size_t>(bytes.size()) > kMostBytes)
                return false;
        }
    }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    bool m_ok = false;
};

bool IsTextTarget(const QByteArray& name)
{
    return name == "UTF8_STRING" || name == "STRING" || name == "TEXT" || name == "text/plain"
           || name.toLower().startsWith("text/plain;charset=");
}

}  // namespace

std::unique_ptr<QMimeData> ReadX11ClipboardText()
{
    return ReadX11SelectionText("CLIPBOARD");
}

std::unique_ptr<QMimeData> ReadX11SelectionText(const char* selection)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    Requestor x(selection);
    if (!x.Ok() || !x.HasOwner())
        return nullptr;
    QByteArray list;
    xcb_atom_t type = XCB_NONE;
    if (!x.Convert(x.Atom("TARGETS"), list, &type) || type != XCB_ATOM_ATOM)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    const auto* targets = reinterpret_cast<const xcb_atom_t*>(list.constData());
    const std::size_t n = static_cast<std::size_t>(list.size()) / sizeof(xcb_atom_t);
    for (std::size_t i = 0; i < n; ++i) {
        const QByteArray name = x.NameOf(targets[i]);
        if (!IsTextTarget(name))
            continue;
        QByteArray bytes;
        if (x.Convert(targets[i], bytes))
            data->setData(QString::fromLatin1(name), bytes);
    }
    return data;
}

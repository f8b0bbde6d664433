// kvdui.hpp: the C++17 interface of the kvdui library, header-only over <kvdui/kvdui.h>.
//
// kvdui::Layout and kvdui::Client own their handles (movable, not copyable); every failure throws
// kvdui::Error with the C interface's code and message. The thread rules are those of kvdui.h: a Layout
// may be used by many threads at once, a Client by one thread at a time; events are handed out only in
// the thread that calls wait_event or poll_event.
#ifndef KVDUI_HPP
#define KVDUI_HPP

#include "kvdui.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvdui {

// A failed call: code() is a KVDUI_ERR_... value, what() the message.
class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

namespace detail {
inline void check(const kvdui_error& err) {
    if (err.code != KVDUI_OK)
        throw Error(err.code, err.message);
}
} // namespace detail

// The library's version at run time, "1.0.0".
inline std::string version() {
    return kvdui_version();
}

// A layout read once; shown by any number of clients.
class Layout {
public:
    // Reads a layout file (UTF-8 path). Throws Error (KVDUI_ERR_FILE, KVDUI_ERR_LAYOUT ...).
    static Layout open(std::string_view path) {
        kvdui_error err;
        kvdui_layout* handle = kvdui_layout_open(std::string(path).c_str(), &err);
        detail::check(err);
        return Layout(handle);
    }
    // Reads layout text, as a generated header's embedded text. Throws Error (KVDUI_ERR_LAYOUT ...).
    static Layout from_text(std::string_view text) {
        kvdui_error err;
        kvdui_layout* handle = kvdui_layout_from_text(text.data(), text.size(), &err);
        detail::check(err);
        return Layout(handle);
    }

    Layout(Layout&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Layout& operator=(Layout&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
    ~Layout() { kvdui_layout_free(m_handle); }

    // The number of elements.
    int count() const { return kvdui_layout_count(m_handle); }
    // The ID of the named element. Throws Error KVDUI_ERR_NAME when no element has that name.
    int id(std::string_view name) const {
        const int value = kvdui_layout_id(m_handle, std::string(name).c_str());
        if (value < 0)
            throw Error(KVDUI_ERR_NAME, "No element of the layout is named " + std::string(name));
        return value;
    }
    // The ID of the named element, or nothing.
    std::optional<int> find(std::string_view name) const {
        const int value = kvdui_layout_id(m_handle, std::string(name).c_str());
        return value < 0 ? std::nullopt : std::optional<int>(value);
    }
    // The name of the element with that ID ("" for none, nothing when no element has the ID).
    std::optional<std::string> name(int id) const {
        const char* text = kvdui_layout_name(m_handle, id);
        return text ? std::optional<std::string>(text) : std::nullopt;
    }
    const kvdui_layout* handle() const { return m_handle; }

private:
    explicit Layout(kvdui_layout* handle) : m_handle(handle) {}
    kvdui_layout* m_handle;
};

// A placeholder's name and value: {"lap", "12"}.
using Value = std::pair<std::string_view, std::string_view>;

struct Options {
    std::string address = "127.0.0.1";
    int port = 29999;
    std::string program_name = "kvdui";
    std::string admin_password;
    std::chrono::milliseconds timeout{5000}; // for connecting and for each send
};

// One event, its texts copied out of the client.
struct Event {
    int kind = 0; // KVDUI_EVENT_CLICK, KVDUI_EVENT_TEXT, KVDUI_EVENT_DISCONNECTED
    int id = -1;
    std::string name; // the element's name; empty when it has none
    int flags = 0;    // KVDUI_CLICK_... bits of a click
    std::string text; // what was typed, or the reason of a disconnection
    const kvdui_layout* layout = nullptr;

    bool is_click() const { return kind == KVDUI_EVENT_CLICK; }
    bool is_text() const { return kind == KVDUI_EVENT_TEXT; }
    bool is_disconnected() const { return kind == KVDUI_EVENT_DISCONNECTED; }
};

// One connection to the simulator; closing it (the destructor) takes its buttons away.
class Client {
public:
    // Connects and waits until the simulator answers. Throws Error KVDUI_ERR_CONNECT.
    static Client connect(const Options& options = {}) {
        const kvdui_options o{options.address.c_str(), options.port, options.program_name.c_str(),
                              options.admin_password.c_str(), int(options.timeout.count())};
        kvdui_error err;
        kvdui_client* handle = kvdui_connect(&o, &err);
        detail::check(err);
        return Client(handle);
    }

    Client(Client&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Client& operator=(Client&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() { kvdui_close(m_handle); }

    // Shows the layout to target with these placeholder values; returns the packets sent.
    int show(const Layout& layout, std::initializer_list<Value> values = {}, int target = 0,
             int id_offset = 0) {
        return show(layout, std::vector<Value>(values), target, id_offset);
    }
    int show(const Layout& layout, const std::vector<Value>& values, int target = 0, int id_offset = 0) {
        std::vector<std::string> texts;
        texts.reserve(values.size() * 2);
        for (const Value& v : values) {
            texts.emplace_back(v.first);
            texts.emplace_back(v.second);
        }
        std::vector<const char*> list;
        list.reserve(texts.size() + 1);
        for (const std::string& t : texts)
            list.push_back(t.c_str());
        list.push_back(nullptr);
        kvdui_error err;
        const int sent = kvdui_show_at(m_handle, layout.handle(), list.data(), target, id_offset, &err);
        detail::check(err);
        return sent;
    }
    // Changes one placeholder wherever the layout is shown; returns the buttons sent (only those that
    // change).
    int set(const Layout& layout, std::string_view name, std::string_view value) {
        kvdui_error err;
        const int sent =
            kvdui_set(m_handle, layout.handle(), std::string(name).c_str(), std::string(value).c_str(), &err);
        detail::check(err);
        return sent;
    }
    // Deletes the layout's buttons wherever it is shown; returns the delete packets sent.
    int hide(const Layout& layout) {
        kvdui_error err;
        const int sent = kvdui_hide(m_handle, layout.handle(), &err);
        detail::check(err);
        return sent;
    }
    // The next event within timeout, or nothing when the time ran out.
    std::optional<Event> wait_event(std::chrono::milliseconds timeout) { return next(int(timeout.count())); }
    // The next event already pending, or nothing.
    std::optional<Event> poll_event() { return next(0); }
    // Ready while events are pending (see kvdui_wait_handle).
    std::intptr_t wait_handle() const { return kvdui_wait_handle(m_handle); }
    kvdui_client* handle() const { return m_handle; }

private:
    explicit Client(kvdui_client* handle) : m_handle(handle) {}
    std::optional<Event> next(int timeout_ms) {
        kvdui_event e;
        kvdui_error err;
        const int got = kvdui_wait_event(m_handle, &e, timeout_ms, &err);
        detail::check(err);
        if (got == 0)
            return std::nullopt;
        return Event{e.kind, e.id, e.name, e.flags, e.text, e.layout};
    }
    kvdui_client* m_handle;
};

} // namespace kvdui

#endif // KVDUI_HPP

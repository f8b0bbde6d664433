// kvdui.node: the native half of the Node package. It opens libkvdui at run time (the path index.js
// passes, else libkvdui.so.1 from the folders the loader searches from this module; the system calls are
// in KvduiNodeSystemPosix.cpp), keeps layouts and clients in type-tagged
// wrapped objects, and waits for events on Node's thread pool without calling the client there: a worker
// only polls the client's wait handle, and the event is taken on the main thread.
#include <kvdui/kvdui.h>
#include <node_api.h>

#include "KvduiNodeSystem.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// clang-format off
#define KVDUI_FUNCTIONS(X)                                                                                  \
    X(version) X(layout_open) X(layout_from_text) X(layout_free) X(layout_count) X(layout_id) X(layout_name) \
    X(connect) X(close) X(show_at) X(set) X(hide) X(poll_event) X(wait_handle)
// clang-format on

struct Library {
#define KVDUI_SLOT(name) decltype(&kvdui_##name) name = nullptr;
    KVDUI_FUNCTIONS(KVDUI_SLOT)
#undef KVDUI_SLOT
};

// One library for the process, whichever thread (worker_threads) loads it first.
Library lib;
void* libHandle = nullptr;
std::string libPath;
std::mutex libMutex;

// Per Node environment: the KvduiError class of index.js.
struct Addon {
    napi_ref errorClass = nullptr;
};

const napi_type_tag LayoutTag = {0x6b76647569a5e1c1, 0x4c61796f75740001};
const napi_type_tag ClientTag = {0x6b76647569a5e1c1, 0x436c69656e740002};

struct LayoutBox {
    kvdui_layout* layout = nullptr;
};

struct ClientBox {
    kvdui_client* client = nullptr;
    int wake[2] = {-1, -1}; // written by close() so that waits in flight return at once
    int waits = 0;          // waits on the thread pool; they poll descriptors that close() must keep open
    bool closed = false;    // close() was called; the client itself goes when the last wait returns
};

napi_value Undefined(napi_env env) {
    napi_value value;
    napi_get_undefined(env, &value);
    return value;
}

napi_value Null(napi_env env) {
    napi_value value;
    napi_get_null(env, &value);
    return value;
}

napi_value Int(napi_env env, int number) {
    napi_value value;
    napi_create_int32(env, number, &value);
    return value;
}

napi_value String(napi_env env, const char* text) {
    napi_value value;
    napi_create_string_utf8(env, text ? text : "", NAPI_AUTO_LENGTH, &value);
    return value;
}

// new KvduiError(code, message), or an Error with a code before index.js has handed its class over.
napi_value MakeError(napi_env env, int code, const std::string& message) {
    napi_value args[2] = {Int(env, code), nullptr}, error = nullptr, constructor = nullptr;
    napi_create_string_utf8(env, message.data(), message.size(), &args[1]);
    Addon* addon = nullptr;
    napi_get_instance_data(env, reinterpret_cast<void**>(&addon));
    if (addon && addon->errorClass &&
        napi_get_reference_value(env, addon->errorClass, &constructor) == napi_ok && constructor)
        napi_new_instance(env, constructor, 2, args, &error);
    if (!error) {
        napi_create_error(env, nullptr, args[1], &error);
        napi_set_named_property(env, error, "code", args[0]);
    }
    return error;
}

napi_value Throw(napi_env env, int code, const std::string& message) {
    napi_throw(env, MakeError(env, code, message));
    return nullptr;
}

napi_value Throw(napi_env env, const kvdui_error& err) {
    return Throw(env, err.code, err.message);
}

// The call's arguments; missing ones are undefined.
template <size_t N> void Args(napi_env env, napi_callback_info info, napi_value (&args)[N]) {
    size_t count = N;
    napi_get_cb_info(env, info, &count, args, nullptr, nullptr);
}

bool IsNullish(napi_env env, napi_value value) {
    napi_valuetype type;
    napi_typeof(env, value, &type);
    return type == napi_undefined || type == napi_null;
}

// A JavaScript string as UTF-8. Lone surrogates have no UTF-8 form (ERR_ENCODING), and a zero character
// would cut a C string short (ERR_ARGUMENT) unless the text is passed with its length.
bool GetString(napi_env env, napi_value value, const std::string& what, std::string& out,
               bool zeros = false) {
    napi_valuetype type;
    napi_typeof(env, value, &type);
    if (type != napi_string) {
        Throw(env, KVDUI_ERR_ARGUMENT, what + " must be a string");
        return false;
    }
    size_t length = 0;
    napi_get_value_string_utf16(env, value, nullptr, 0, &length);
    std::u16string units(length, u'\0');
    napi_get_value_string_utf16(env, value, units.data(), length + 1, &length);
    for (size_t i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            ++i;
        else if (unit >= 0xD800 && unit <= 0xDFFF) {
            Throw(env, KVDUI_ERR_ENCODING, what + " is not valid Unicode text (a lone surrogate)");
            return false;
        } else if (unit == 0 && !zeros) {
            Throw(env, KVDUI_ERR_ARGUMENT, what + " must not contain a zero character");
            return false;
        }
    }
    napi_get_value_string_utf8(env, value, nullptr, 0, &length);
    out.assign(length, '\0');
    napi_get_value_string_utf8(env, value, out.data(), length + 1, &length);
    return true;
}

// An optional string: null and undefined give NULL for the library's default.
bool GetOptional(napi_env env, napi_value value, const std::string& what, std::string& out,
                 const char*& pointer) {
    pointer = nullptr;
    if (IsNullish(env, value))
        return true;
    if (!GetString(env, value, what, out))
        return false;
    pointer = out.c_str();
    return true;
}

bool GetInt(napi_env env, napi_value value, const std::string& what, int& out) {
    double number = 0;
    if (napi_get_value_double(env, value, &number) != napi_ok || number != number || number < INT_MIN ||
        number > INT_MAX) {
        Throw(env, KVDUI_ERR_ARGUMENT, what + " must be a number");
        return false;
    }
    out = static_cast<int>(number);
    return true;
}

template <class Box> Box* Unwrap(napi_env env, napi_value value, const napi_type_tag& tag, const char* what) {
    napi_valuetype type;
    napi_typeof(env, value, &type);
    bool tagged = false;
    if (type == napi_object)
        napi_check_object_type_tag(env, value, &tag, &tagged);
    void* box = nullptr;
    if (!tagged || napi_unwrap(env, value, &box) != napi_ok || !box) {
        Throw(env, KVDUI_ERR_ARGUMENT, std::string("Expected a kvdui ") + what);
        return nullptr;
    }
    return static_cast<Box*>(box);
}

kvdui_layout* GetLayout(napi_env env, napi_value value) {
    LayoutBox* box = Unwrap<LayoutBox>(env, value, LayoutTag, "Layout");
    if (box && !box->layout)
        Throw(env, KVDUI_ERR_ARGUMENT, "The layout has been closed");
    return box ? box->layout : nullptr;
}

ClientBox* GetClient(napi_env env, napi_value value) {
    ClientBox* box = Unwrap<ClientBox>(env, value, ClientTag, "Client");
    if (box && box->closed) {
        Throw(env, KVDUI_ERR_DISCONNECTED, "The client has been closed");
        return nullptr;
    }
    return box;
}

template <class Box>
napi_value Wrap(napi_env env, Box* box, const napi_type_tag& tag, napi_finalize finalize) {
    napi_value object;
    napi_create_object(env, &object);
    napi_type_tag_object(env, object, &tag);
    if (napi_wrap(env, object, box, finalize, nullptr, nullptr) != napi_ok) {
        finalize(env, box, nullptr);
        return Throw(env, KVDUI_ERR_INTERNAL, "Cannot wrap a native object");
    }
    return object;
}

bool Loaded(napi_env env) {
    std::lock_guard lock(libMutex);
    if (!libHandle)
        Throw(env, KVDUI_ERR_INTERNAL, "The runtime library has not been loaded");
    return libHandle != nullptr;
}

// load(KvduiError, path or null): takes the error class, opens the library once and returns the file it came
// from. A later load names the same file or none.
napi_value Load(napi_env env, napi_callback_info info) {
    napi_value args[2];
    Args(env, info, args);
    Addon* addon = nullptr;
    napi_get_instance_data(env, reinterpret_cast<void**>(&addon));
    if (!addon->errorClass)
        napi_create_reference(env, args[0], 1, &addon->errorClass);
    std::string path;
    const char* requested = nullptr;
    if (!GetOptional(env, args[1], "The library path", path, requested))
        return nullptr;
    std::lock_guard lock(libMutex);
    if (libHandle && !requested)
        return String(env, libPath.c_str());
    std::string reason;
    void* handle = KvduiNodeSystem::OpenLibrary(requested, reason);
    if (!handle)
        return Throw(
            env, KVDUI_ERR_FILE,
            "Cannot load the runtime library: " + reason +
                (requested ? "" : "; set KVDUI_LIBRARY to its path, or pass it to kvdui.load({ library })"));
    if (libHandle) {
        KvduiNodeSystem::CloseLibrary(
            handle); // opening counts references: the same file gives the same handle
        if (handle == libHandle)
            return String(env, libPath.c_str());
        return Throw(env, KVDUI_ERR_ARGUMENT, "The runtime library is already loaded from " + libPath);
    }
    Library found;
    const char* missing = nullptr;
#define KVDUI_LOOKUP(name)                                                                                   \
    found.name =                                                                                             \
        reinterpret_cast<decltype(found.name)>(KvduiNodeSystem::LibrarySymbol(handle, "kvdui_" #name));      \
    if (!found.name && !missing)                                                                             \
        missing = "kvdui_" #name;
    KVDUI_FUNCTIONS(KVDUI_LOOKUP)
#undef KVDUI_LOOKUP
    const std::string file = KvduiNodeSystem::LibraryFile(handle, "libkvdui.so.1");
    if (missing || std::atoi(found.version()) != KVDUI_VERSION_MAJOR) {
        KvduiNodeSystem::CloseLibrary(handle);
        return Throw(env, KVDUI_ERR_FILE,
                     file + " is not libkvdui " + std::to_string(KVDUI_VERSION_MAJOR) + ".x" +
                         (missing ? std::string(" (no ") + missing + ")" : std::string()));
    }
    lib = found;
    libHandle = handle;
    libPath = file;
    return String(env, libPath.c_str());
}

napi_value Version(napi_env env, napi_callback_info) {
    return Loaded(env) ? String(env, lib.version()) : nullptr;
}

void FinalizeLayout(napi_env, void* data, void*) {
    auto* box = static_cast<LayoutBox*>(data);
    lib.layout_free(box->layout);
    delete box;
}

// layoutOpen(path) and layoutOpen(text, true)
napi_value LayoutOpen(napi_env env, napi_callback_info info) {
    napi_value args[2];
    Args(env, info, args);
    bool text = false;
    napi_get_value_bool(env, args[1], &text);
    std::string argument;
    if (!Loaded(env) || !GetString(env, args[0], text ? "The layout text" : "The file name", argument, text))
        return nullptr;
    kvdui_error err;
    kvdui_layout* layout = text ? lib.layout_from_text(argument.data(), argument.size(), &err)
                                : lib.layout_open(argument.c_str(), &err);
    if (!layout)
        return Throw(env, err);
    return Wrap(env, new LayoutBox{layout}, LayoutTag, FinalizeLayout);
}

// layoutCount(layout)
napi_value LayoutCount(napi_env env, napi_callback_info info) {
    napi_value args[1];
    Args(env, info, args);
    kvdui_layout* layout = GetLayout(env, args[0]);
    return layout ? Int(env, lib.layout_count(layout)) : nullptr;
}

// layoutId(layout, name): ERR_NAME when no element has the name.
napi_value LayoutId(napi_env env, napi_callback_info info) {
    napi_value args[2];
    Args(env, info, args);
    std::string name;
    kvdui_layout* layout = GetLayout(env, args[0]);
    if (!layout || !GetString(env, args[1], "The name", name))
        return nullptr;
    const int id = lib.layout_id(layout, name.c_str());
    if (id < 0)
        return Throw(env, KVDUI_ERR_NAME, "No element of the layout is named '" + name + "'");
    return Int(env, id);
}

// layoutName(layout, id): "" for an element without a name and for an ID no element has.
napi_value LayoutName(napi_env env, napi_callback_info info) {
    napi_value args[2];
    Args(env, info, args);
    int id = 0;
    kvdui_layout* layout = GetLayout(env, args[0]);
    if (!layout || !GetInt(env, args[1], "The ID", id))
        return nullptr;
    return String(env, lib.layout_name(layout, id));
}

// layoutClose(layout): frees it now; closing twice does nothing.
napi_value LayoutClose(napi_env env, napi_callback_info info) {
    napi_value args[1];
    Args(env, info, args);
    LayoutBox* box = Unwrap<LayoutBox>(env, args[0], LayoutTag, "Layout");
    if (!box)
        return nullptr;
    lib.layout_free(box->layout);
    box->layout = nullptr;
    return Undefined(env);
}

// Closes the client and the wake pipe; only when no wait polls them any more.
void Finish(ClientBox* box) {
    lib.close(box->client);
    box->client = nullptr;
    for (int& fd : box->wake)
        KvduiNodeSystem::CloseDescriptor(fd);
}

void FinalizeClient(napi_env, void* data, void*) {
    auto* box = static_cast<ClientBox*>(data);
    box->closed = true;
    if (box->waits > 0)
        return; // only when the environment goes away with a wait in flight: leave the box to the wait
    Finish(box);
    delete box;
}

// connect(address, port, name, password, timeoutMs)
napi_value Connect(napi_env env, napi_callback_info info) {
    napi_value args[5];
    Args(env, info, args);
    std::string address, name, password;
    kvdui_options options = {};
    if (!Loaded(env) || !GetOptional(env, args[0], "The address", address, options.address) ||
        !GetInt(env, args[1], "The port", options.port) ||
        !GetOptional(env, args[2], "The program name", name, options.program_name) ||
        !GetOptional(env, args[3], "The password", password, options.admin_password) ||
        !GetInt(env, args[4], "The timeout", options.timeout_ms))
        return nullptr;
    auto* box = new ClientBox;
    if (!KvduiNodeSystem::MakeWakePipe(box->wake)) {
        delete box;
        return Throw(env, KVDUI_ERR_INTERNAL, "Cannot make a pipe");
    }
    kvdui_error err;
    box->client = lib.connect(&options, &err);
    if (!box->client) {
        FinalizeClient(env, box, nullptr);
        return Throw(env, err);
    }
    return Wrap(env, box, ClientTag, FinalizeClient);
}

// close(client): at once, or after the waits in flight have been woken and returned.
napi_value Close(napi_env env, napi_callback_info info) {
    napi_value args[1];
    Args(env, info, args);
    ClientBox* box = Unwrap<ClientBox>(env, args[0], ClientTag, "Client");
    if (!box || box->closed)
        return box ? Undefined(env) : nullptr;
    box->closed = true;
    if (box->waits == 0)
        Finish(box);
    else if (!KvduiNodeSystem::Wake(box->wake[1]))
        return Throw(env, KVDUI_ERR_INTERNAL, "Cannot wake the waits of the client");
    return Undefined(env);
}

napi_value Sent(napi_env env, int sent, const kvdui_error& err) {
    return sent < 0 ? Throw(env, err) : Int(env, sent);
}

// show(client, layout, values, target, offset): values is null or a flat array name, value, ...
napi_value Show(napi_env env, napi_callback_info info) {
    napi_value args[5];
    Args(env, info, args);
    ClientBox* box = GetClient(env, args[0]);
    kvdui_layout* layout = box ? GetLayout(env, args[1]) : nullptr;
    int target = 0, offset = 0;
    if (!layout || !GetInt(env, args[3], "The target", target) || !GetInt(env, args[4], "The offset", offset))
        return nullptr;
    std::vector<std::string> values;
    std::vector<const char*> pointers;
    if (!IsNullish(env, args[2])) {
        bool array = false;
        napi_is_array(env, args[2], &array);
        if (!array)
            return Throw(env, KVDUI_ERR_ARGUMENT, "The values must be names and values");
        uint32_t length = 0;
        napi_get_array_length(env, args[2], &length);
        values.resize(length);
        for (uint32_t i = 0; i < length; ++i) {
            napi_value element;
            napi_get_element(env, args[2], i, &element);
            const std::string what = i % 2 ? "The value of " + values[i - 1] : "A placeholder name";
            if (!GetString(env, element, what, values[i]))
                return nullptr;
            pointers.push_back(values[i].c_str());
        }
        pointers.push_back(nullptr);
    }
    kvdui_error err;
    return Sent(
        env,
        lib.show_at(box->client, layout, pointers.empty() ? nullptr : pointers.data(), target, offset, &err),
        err);
}

// set(client, layout, name, value)
napi_value Set(napi_env env, napi_callback_info info) {
    napi_value args[4];
    Args(env, info, args);
    ClientBox* box = GetClient(env, args[0]);
    kvdui_layout* layout = box ? GetLayout(env, args[1]) : nullptr;
    std::string name, value;
    if (!layout || !GetString(env, args[2], "The placeholder name", name) ||
        !GetString(env, args[3], "The value of " + name, value))
        return nullptr;
    kvdui_error err;
    return Sent(env, lib.set(box->client, layout, name.c_str(), value.c_str(), &err), err);
}

// hide(client, layout)
napi_value Hide(napi_env env, napi_callback_info info) {
    napi_value args[2];
    Args(env, info, args);
    ClientBox* box = GetClient(env, args[0]);
    kvdui_layout* layout = box ? GetLayout(env, args[1]) : nullptr;
    if (!layout)
        return nullptr;
    kvdui_error err;
    return Sent(env, lib.hide(box->client, layout, &err), err);
}

// The next event as a JavaScript object, its texts copied at once (they live until the next call); null
// when none is pending. Kinds newer than this module are passed over.
bool NextEvent(napi_env env, ClientBox* box, napi_value& result, kvdui_error& err) {
    kvdui_event event;
    for (;;) {
        const int got = lib.poll_event(box->client, &event, &err);
        if (got < 0)
            return false;
        result = Null(env);
        if (got == 0)
            return true;
        if (event.kind == KVDUI_EVENT_CLICK || event.kind == KVDUI_EVENT_TEXT ||
            event.kind == KVDUI_EVENT_DISCONNECTED)
            break;
    }
    napi_create_object(env, &result);
    const auto set = [&](const char* key, napi_value value) {
        napi_set_named_property(env, result, key, value);
    };
    if (event.kind == KVDUI_EVENT_DISCONNECTED) {
        set("kind", String(env, "disconnected"));
        set("reason", String(env, event.text));
        return true;
    }
    set("kind", String(env, event.kind == KVDUI_EVENT_CLICK ? "click" : "text"));
    set("id", Int(env, event.id));
    set("name", String(env, event.name));
    if (event.kind == KVDUI_EVENT_CLICK)
        set("flags", Int(env, event.flags));
    else
        set("text", String(env, event.text));
    return true;
}

// pollEvent(client)
napi_value PollEvent(napi_env env, napi_callback_info info) {
    napi_value args[1];
    Args(env, info, args);
    ClientBox* box = GetClient(env, args[0]);
    napi_value result = nullptr;
    kvdui_error err;
    if (box && !NextEvent(env, box, result, err))
        return Throw(env, err);
    return result;
}

using Clock = std::chrono::steady_clock;

// One wait on the thread pool. The worker polls only the descriptors copied here; the event is taken in
// Complete, on the main thread, and when another caller took it first the wait goes round again.
struct Wait {
    napi_async_work work = nullptr;
    napi_deferred deferred = nullptr;
    napi_ref object = nullptr; // the client's object, so that its box outlives the wait
    ClientBox* box = nullptr;
    int fds[2] = {-1, -1};
    bool forever = false;
    bool take = true; // false: only wait until an event is pending, for the event emitter
    Clock::time_point deadline;

    int Remaining() const {
        if (forever)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
    }
};

void Execute(napi_env, void* data) {
    auto* wait = static_cast<Wait*>(data);
    KvduiNodeSystem::WaitReadable(wait->fds[0], wait->fds[1], wait->Remaining());
}

void Complete(napi_env env, napi_status status, void* data);

bool Queue(napi_env env, Wait* wait) {
    napi_value name = String(env, "kvdui.waitEvent");
    if (napi_create_async_work(env, nullptr, name, Execute, Complete, wait, &wait->work) != napi_ok)
        return false;
    if (napi_queue_async_work(env, wait->work) != napi_ok) {
        napi_delete_async_work(env, wait->work);
        return false;
    }
    ++wait->box->waits;
    return true;
}

void Complete(napi_env env, napi_status, void* data) {
    auto* wait = static_cast<Wait*>(data);
    ClientBox* box = wait->box;
    --box->waits;
    napi_delete_async_work(env, wait->work);
    napi_value result = Null(env);
    kvdui_error err;
    bool failed = false;
    if (box->closed) {
        if (box->waits == 0)
            Finish(box);
    } else if (!wait->take) {
        // Pending or not: the emitter looks for itself.
        if (wait->Remaining() != 0) {
            if (!KvduiNodeSystem::Readable(wait->fds[0]) && Queue(env, wait))
                return;
        }
    } else if (!NextEvent(env, box, result, err)) {
        failed = true;
        result = MakeError(env, err.code, err.message);
    } else if (IsNullish(env, result) && wait->Remaining() != 0 && Queue(env, wait)) {
        return;
    }
    if (failed)
        napi_reject_deferred(env, wait->deferred, result);
    else
        napi_resolve_deferred(env, wait->deferred, wait->take ? result : Undefined(env));
    napi_delete_reference(env, wait->object);
    delete wait;
}

// wait(client, timeoutMs, take): a promise of the next event (take) or of the moment one is pending (not
// take), settled with null or undefined when the time runs out or the client is closed. A negative or
// missing timeout waits without end.
napi_value WaitEvent(napi_env env, napi_callback_info info) {
    napi_value args[3];
    Args(env, info, args);
    ClientBox* box = GetClient(env, args[0]);
    if (!box)
        return nullptr;
    double timeout = -1;
    if (!IsNullish(env, args[1]) &&
        (napi_get_value_double(env, args[1], &timeout) != napi_ok || timeout != timeout))
        return Throw(env, KVDUI_ERR_ARGUMENT, "The timeout must be a number of milliseconds");
    bool take = true;
    if (!IsNullish(env, args[2]))
        napi_get_value_bool(env, args[2], &take);

    napi_value promise, result = nullptr;
    napi_deferred deferred;
    napi_create_promise(env, &deferred, &promise);
    kvdui_error err;
    if (take && !NextEvent(env, box, result, err)) {
        napi_reject_deferred(env, deferred, MakeError(env, err.code, err.message));
        return promise;
    }
    if (take && (!IsNullish(env, result) || timeout == 0)) {
        napi_resolve_deferred(env, deferred, result);
        return promise;
    }
    auto* wait = new Wait;
    wait->deferred = deferred;
    wait->box = box;
    wait->fds[0] = static_cast<int>(lib.wait_handle(box->client));
    wait->fds[1] = box->wake[0];
    wait->take = take;
    wait->forever = timeout < 0 || timeout > 1e12;
    if (!wait->forever)
        wait->deadline = Clock::now() + std::chrono::microseconds(static_cast<long long>(timeout * 1000));
    napi_create_reference(env, args[0], 1, &wait->object);
    if (!Queue(env, wait)) {
        napi_reject_deferred(env, deferred, MakeError(env, KVDUI_ERR_INTERNAL, "Cannot start a wait"));
        napi_delete_reference(env, wait->object);
        delete wait;
    }
    return promise;
}

void FinalizeAddon(napi_env env, void* data, void*) {
    auto* addon = static_cast<Addon*>(data);
    if (addon->errorClass)
        napi_delete_reference(env, addon->errorClass);
    delete addon;
}

} // namespace

NAPI_MODULE_INIT() {
    napi_set_instance_data(env, new Addon, FinalizeAddon, nullptr);
    const std::pair<const char*, napi_callback> functions[] = {
        {"load", Load},
        {"version", Version},
        {"layoutOpen", LayoutOpen},
        {"layoutCount", LayoutCount},
        {"layoutId", LayoutId},
        {"layoutName", LayoutName},
        {"layoutClose", LayoutClose},
        {"connect", Connect},
        {"close", Close},
        {"show", Show},
        {"set", Set},
        {"hide", Hide},
        {"pollEvent", PollEvent},
        {"wait", WaitEvent},
    };
    for (const auto& [name, callback] : functions) {
        napi_value function;
        napi_create_function(env, name, NAPI_AUTO_LENGTH, callback, nullptr, &function);
        napi_set_named_property(env, exports, name, function);
    }
    return exports;
}

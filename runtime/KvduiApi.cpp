// The C interface: checks the arguments, turns texts into Qt's, and every failure (also out of memory)
// into a kvdui_error, so that nothing escapes into the calling program.

#include "core/Exceptions.h"
#include "runtime/KvduiClient.h"
#include "runtime/KvduiFailure.h"
#include "runtime/KvduiLayout.h"

#include "kvdui/kvdui.h"

#include <QStringDecoder>

#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

namespace {

void Clear(kvdui_error* err) {
    if (err) {
        err->code = KVDUI_OK;
        err->message[0] = '\0';
    }
}

int Fail(kvdui_error* err, int code, const QString& message) {
    if (err) {
        err->code = code;
        QByteArray bytes = message.toUtf8();
        qsizetype length = qMin<qsizetype>(bytes.size(), sizeof err->message - 1);
        // Cut at a character boundary: never between the bytes of one character.
        while (length > 0 && length < bytes.size() && (quint8(bytes.at(length)) & 0xC0) == 0x80)
            --length;
        std::memcpy(err->message, bytes.constData(), size_t(length));
        err->message[length] = '\0';
    }
    return -code;
}

// Runs call, which returns the result; a failure fills err and gives onFailure.
template <typename Result, typename Call> Result Guarded(kvdui_error* err, Result onFailure, Call call) {
    Clear(err);
    int code = KVDUI_ERR_INTERNAL;
    try {
        return call();
    } catch (const TKvduiFailure& failure) {
        code = failure.Code;
        Fail(err, code, failure.Message);
    } catch (const Exception& e) {
        code = KVDUI_ERR_ARGUMENT;
        Fail(err, code, e.Message());
    } catch (const std::bad_alloc&) {
        Fail(err, code, QStringLiteral("Out of memory"));
    } catch (...) {
        Fail(err, code, QStringLiteral("An unexpected error in the kvdui library"));
    }
    if constexpr (std::is_same_v<Result, int>)
        return -code;
    else
        return onFailure;
}

void Require(const void* pointer, const char* what) {
    if (!pointer)
        throw TKvduiFailure(KVDUI_ERR_ARGUMENT, QStringLiteral("%1 is NULL").arg(QLatin1String(what)));
}

QStringList Values(const char* const* values) {
    QStringList list;
    if (!values)
        return list;
    for (int i = 0; values[i]; ++i) {
        if (i >= 2 * 65536)
            throw TKvduiFailure(KVDUI_ERR_ARGUMENT,
                                QStringLiteral("The list of values does not end with NULL"));
        list << KvduiText(values[i], i % 2 == 0 ? "a placeholder name" : "a placeholder value");
    }
    return list;
}

const QByteArray& VersionText() {
    static const QByteArray text = QByteArrayLiteral(KVDUI_VERSION_STRING);
    return text;
}

} // namespace

QString KvduiText(const char* utf8, qsizetype length, const char* what) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(QByteArrayView(utf8, length));
    if (decode.hasError())
        throw TKvduiFailure(KVDUI_ERR_ENCODING,
                            QStringLiteral("%1 is not valid UTF-8").arg(QLatin1String(what)));
    return text;
}

extern "C" {

const char* kvdui_version(void) {
    return VersionText().constData();
}

kvdui_layout* kvdui_layout_open(const char* path_utf8, kvdui_error* err) {
    return Guarded<kvdui_layout*>(err, nullptr, [&] {
        Require(path_utf8, "The file name");
        return kvdui_layout::Open(KvduiText(path_utf8, "The file name"));
    });
}

kvdui_layout* kvdui_layout_from_text(const char* text_utf8, size_t length, kvdui_error* err) {
    return Guarded<kvdui_layout*>(err, nullptr, [&] {
        Require(text_utf8, "The layout text");
        if (length > size_t(64) * 1024 * 1024)
            throw TKvduiFailure(KVDUI_ERR_LAYOUT, QStringLiteral("The layout text is larger than 64 MB"));
        return kvdui_layout::FromText(KvduiText(text_utf8, qsizetype(length), "The layout text"));
    });
}

void kvdui_layout_free(kvdui_layout* layout) {
    if (layout)
        layout->Release();
}

int kvdui_layout_count(const kvdui_layout* layout) {
    return layout ? int(layout->Elements.size()) : 0;
}

int kvdui_layout_id(const kvdui_layout* layout, const char* name) {
    if (!layout || !name)
        return -1;
    const int index = layout->IndexOfName.value(QString::fromUtf8(name), -1);
    return index < 0 ? -1 : int(layout->Elements[size_t(index)].ID);
}

const char* kvdui_layout_name(const kvdui_layout* layout, int id) {
    if (!layout || id < 0 || id > 255)
        return nullptr;
    const int index = layout->IndexOfID[size_t(id)];
    return index < 0 ? nullptr : layout->Names[size_t(index)].constData();
}

kvdui_client* kvdui_connect(const kvdui_options* options, kvdui_error* err) {
    return Guarded<kvdui_client*>(err, nullptr, [&] {
        const kvdui_options defaults{};
        const kvdui_options& o = options ? *options : defaults;
        if (o.port < 0 || o.port > 65535)
            throw TKvduiFailure(KVDUI_ERR_ARGUMENT,
                                QStringLiteral("The port %1 is outside 0 to 65535").arg(o.port));
        if (o.timeout_ms < 0)
            throw TKvduiFailure(KVDUI_ERR_ARGUMENT,
                                QStringLiteral("The timeout %1 ms is negative").arg(o.timeout_ms));
        const QString address = o.address ? KvduiText(o.address, "The address") : QStringLiteral("127.0.0.1");
        const QString name =
            o.program_name ? KvduiText(o.program_name, "The program name") : QStringLiteral("kvdui");
        const QString password =
            o.admin_password ? KvduiText(o.admin_password, "The admin password") : QString();
        auto client = std::make_unique<kvdui_client>();
        if (!client->SignalValid())
            throw TKvduiFailure(KVDUI_ERR_INTERNAL, QStringLiteral("The system gave no wait handle"));
        client->Connect(address, o.port ? o.port : 29999, name, password, o.timeout_ms ? o.timeout_ms : 5000);
        return client.release();
    });
}

void kvdui_close(kvdui_client* client) {
    if (!client)
        return;
    try {
        client->Close();
    } catch (...) {
        // The client goes anyway; a failure to say goodbye changes nothing for the program.
    }
    delete client;
}

int kvdui_show(kvdui_client* c, const kvdui_layout* l, const char* const* values, int target,
               kvdui_error* err) {
    return kvdui_show_at(c, l, values, target, 0, err);
}

int kvdui_show_at(kvdui_client* c, const kvdui_layout* l, const char* const* values, int target,
                  int id_offset, kvdui_error* err) {
    return Guarded<int>(err, 0, [&] {
        Require(c, "The client");
        Require(l, "The layout");
        return c->Show(l, Values(values), target, id_offset);
    });
}

int kvdui_set(kvdui_client* c, const kvdui_layout* l, const char* name, const char* value, kvdui_error* err) {
    return Guarded<int>(err, 0, [&] {
        Require(c, "The client");
        Require(l, "The layout");
        Require(name, "The placeholder name");
        Require(value, "The value");
        return c->Set(l, KvduiText(name, "The placeholder name"), KvduiText(value, "The value"));
    });
}

int kvdui_hide(kvdui_client* c, const kvdui_layout* l, kvdui_error* err) {
    return Guarded<int>(err, 0, [&] {
        Require(c, "The client");
        Require(l, "The layout");
        return c->Hide(l);
    });
}

int kvdui_wait_event(kvdui_client* c, kvdui_event* event, int timeout_ms, kvdui_error* err) {
    return Guarded<int>(err, 0, [&] {
        Require(c, "The client");
        Require(event, "The event");
        return c->Wait(event, timeout_ms);
    });
}

int kvdui_poll_event(kvdui_client* c, kvdui_event* event, kvdui_error* err) {
    return kvdui_wait_event(c, event, 0, err);
}

intptr_t kvdui_wait_handle(kvdui_client* c) {
    return c ? c->WaitHandle() : -1;
}

} // extern "C"

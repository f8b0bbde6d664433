#pragma once
// How the runtime's internals report a failure: an exception with the C interface's code and the message
// for the user, turned into a kvdui_error at the interface.

#include "kvdui/kvdui.h"

#include <QString>

#include <exception>

struct TKvduiFailure : std::exception {
    TKvduiFailure(int code, QString message) : Code(code), Message(std::move(message)) {}
    const char* what() const noexcept override { return "kvdui failure"; }
    int Code;
    QString Message;
};

// The text as UTF-8 that is checked: invalid UTF-8 raises KVDUI_ERR_ENCODING naming what the text is.
QString KvduiText(const char* utf8, qsizetype length, const char* what);
inline QString KvduiText(const char* utf8, const char* what) {
    return KvduiText(utf8, qsizetype(std::char_traits<char>::length(utf8)), what);
}

#pragma once
// Options shared by the kvdui verbs that turn a layout into button packets.

#include <QString>
#include <QStringList>

struct KvduiLinkArgs {
    QString File;
    QStringList Placeholders; // (name, replacement) pairs for the button texts
    int Target = 0;
    QString Address = QStringLiteral("127.0.0.1");
    int Port = 29999;
    QString Name = QStringLiteral("kvdui");
};

// Parses FILE and the options in allowed (a subset of "set", "target", "address", "port", "name"). After
// "--" every argument is a file name. Returns an empty text on success, else the reason to print before
// the usage line; an empty file name counts as none.
QString ParseKvduiLinkArgs(const QStringList& args, const QStringList& allowed, KvduiLinkArgs& out);

// The file of a verb that takes nothing else: FILE or -- FILE. Empty when the arguments are anything else
// or the name is empty.
QString OnlyFileArgument(const QStringList& args);

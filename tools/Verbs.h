#pragma once
// The verbs of the kvdui command-line companion. Each takes the arguments after the verb and returns
// the process exit status.

#include <QStringList>

int RunCat(const QStringList& args);
int RunCheck(const QStringList& args);
int RunPackets(const QStringList& args);
int RunShow(const QStringList& args);
int RunRender(const QStringList& args);
int RunLint(const QStringList& args);
int RunGen(const QStringList& args);

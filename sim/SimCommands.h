#pragma once
// The commands a script gives the headless stand-in on its standard input, one a line:
//   click N ID [FLAGS]   type N ID TEXT   console N TEXT   close N   quit

#include <QByteArray>
#include <QString>

class TSimServer;

struct TSimCommand {
    enum Kind { None, Click, Type, Console, Close, Quit, Invalid };
    Kind What = None;
    int Client = 0;
    quint8 ClickID = 0;
    quint8 Flags = 0;
    QByteArray Text; // the rest of the line, as typed (8-bit)
    QString Error;   // why an Invalid line is not a command

    // Reads one line (without its line break). An empty line is None.
    static TSimCommand Parse(const QByteArray& line);
};

// Carries out a command other than Quit; returns an empty string, or why it could not be done.
QString RunSimCommand(TSimServer& server, const TSimCommand& command);

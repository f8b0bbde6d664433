#pragma once
// The stand-in's window: the simulator's button area scaled to the window, and a side panel with the
// connected clients and a log of what was received and sent.

#include <QCoreApplication>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <memory>

class QAction;
class QPlainTextEdit;
class QTreeWidget;
class TSimScreen;
class TSimServer;

class TSimWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TSimWindow(TSimServer& server, QWidget* parent = nullptr);

    TSimScreen* Screen() const { return m_screen; }
    QTreeWidget* ClientList() const { return m_clients; }
    QPlainTextEdit* LogView() const { return m_log; }
    // Writes what is waiting into the log view and refreshes the client list now.
    void Flush();

    QAction* actConsole = nullptr;
    QAction* actCloseClient = nullptr;

private:
    void Log(const QString& line);
    void RefreshClients();
    int CurrentClient() const;
    void SendConsole();

    TSimServer& m_server;
    TSimScreen* m_screen;
    QTreeWidget* m_clients;
    QPlainTextEdit* m_log;
    // Log lines and list changes are gathered and shown together a few times a second, so that a client
    // sending thousands of packets a second costs the window no more than that.
    QTimer m_flush;
    QStringList m_pending;
    int m_skipped = 0;
    bool m_clientsDirty = false;
};

// The application object of the windowed stand-in (a widget application).
std::unique_ptr<QCoreApplication> MakeSimApplication(int& argc, char** argv);
// Shows the window for the listening server and runs the event loop until it is closed.
int RunSimWindow(TSimServer& server);

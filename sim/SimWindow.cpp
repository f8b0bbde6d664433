#include "sim/SimWindow.h"

#include "link/Dromo.h"
#include "link/KvdTypes.h"
#include "sim/SimPackets.h"
#include "sim/SimScreen.h"
#include "sim/SimServer.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QTreeWidget>

namespace {
constexpr int FlushMs = 100;
constexpr int MaxLogLines = 2000;    // kept in the view
constexpr int MaxPendingLines = 500; // gathered between two flushes; older ones are skipped

QString Describe(const QByteArray& packet) {
    return Dromo::Describe(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size()));
}

QString Hex(const QByteArray& packet) {
    return QString::fromLatin1(packet.toHex(' '));
}
} // namespace

TSimWindow::TSimWindow(TSimServer& server, QWidget* parent) : QMainWindow(parent), m_server(server) {
    const QString endpoint = QStringLiteral("%1:%2").arg(server.Address().toString()).arg(server.Port());
    setWindowTitle(QStringLiteral("kvdsim – Korvadia stand-in (%1)").arg(endpoint));

    m_screen = new TSimScreen(server);
    m_clients = new QTreeWidget;
    m_clients->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("State"),
                                QStringLiteral("Buttons"), QStringLiteral("Address")});
    m_clients->setRootIsDecorated(false);
    m_clients->setUniformRowHeights(true);
    m_clients->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_clients->header()->setStretchLastSection(true);
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(MaxLogLines);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* panel = new QSplitter(Qt::Vertical);
    panel->addWidget(m_clients);
    panel->addWidget(m_log);
    panel->setStretchFactor(1, 1);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(m_screen);
    split->addWidget(panel);
    split->setStretchFactor(0, 1);
    split->setSizes({540, 360});
    setCentralWidget(split);
    statusBar()->showMessage(
        QStringLiteral("Listening on %1, protocol %2").arg(endpoint).arg(server.Protocol()));

    actConsole = new QAction(QStringLiteral("Send &Console Text..."), this);
    actCloseClient = new QAction(QStringLiteral("C&lose Connection"), this);
    connect(actConsole, &QAction::triggered, this, &TSimWindow::SendConsole);
    connect(actCloseClient, &QAction::triggered, this, [this] {
        if (const int n = CurrentClient())
            m_server.Close(n);
    });
    auto* quit = new QAction(QStringLiteral("&Quit"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    auto* clearLog = new QAction(QStringLiteral("Clear &Log"), this);
    connect(clearLog, &QAction::triggered, m_log, &QPlainTextEdit::clear);
    menuBar()->addMenu(QStringLiteral("&File"))->addAction(quit);
    QMenu* clients = menuBar()->addMenu(QStringLiteral("&Clients"));
    clients->addActions({actConsole, actCloseClient});
    menuBar()->addMenu(QStringLiteral("&View"))->addAction(clearLog);
    m_clients->addActions({actConsole, actCloseClient});
    auto updateActions = [this] {
        actConsole->setEnabled(CurrentClient() != 0);
        actCloseClient->setEnabled(CurrentClient() != 0);
    };
    connect(m_clients, &QTreeWidget::currentItemChanged, this, updateActions);
    updateActions();

    connect(&server, &TSimServer::ClientConnected, this, [this](int n) {
        Log(QStringLiteral("%1 + connected from %2").arg(n).arg(m_server.Client(n)->Peer));
        m_clientsDirty = true;
    });
    connect(&server, &TSimServer::ClientLeft, this, [this](int n, const QString& reason) {
        Log(QStringLiteral("%1 - %2").arg(n).arg(KvdTypes::EscapeControls(reason)));
        m_clientsDirty = true;
    });
    connect(&server, &TSimServer::PacketReceived, this, [this](int n, const QByteArray& packet) {
        Log(QStringLiteral("%1 < %2   %3").arg(n).arg(Describe(packet), Hex(packet)));
    });
    connect(&server, &TSimServer::PacketSent, this, [this](int n, const QByteArray& packet) {
        Log(QStringLiteral("%1 > %2   %3").arg(n).arg(Describe(packet), Hex(packet)));
    });
    connect(&server, &TSimServer::AnsweringChanged, this, [this](int n, bool answering) {
        Log(QStringLiteral("%1   %2").arg(n).arg(answering ? QStringLiteral("answering again")
                                                           : QStringLiteral("not answering")));
    });
    connect(&server, &TSimServer::ClientChanged, this, [this] { m_clientsDirty = true; });
    connect(&server, &TSimServer::ButtonsChanged, this, [this] { m_clientsDirty = true; });
    m_flush.setInterval(FlushMs);
    connect(&m_flush, &QTimer::timeout, this, &TSimWindow::Flush);
    m_flush.start();
    Log(QStringLiteral("listening on %1").arg(endpoint));
}

void TSimWindow::Log(const QString& line) {
    if (m_pending.size() >= MaxPendingLines) {
        m_pending.removeFirst();
        ++m_skipped;
    }
    m_pending.append(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + line);
}

void TSimWindow::Flush() {
    if (m_skipped > 0) {
        m_log->appendPlainText(QStringLiteral("… %1 lines skipped").arg(m_skipped));
        m_skipped = 0;
    }
    if (!m_pending.isEmpty()) {
        m_log->appendPlainText(m_pending.join(QLatin1Char('\n')));
        m_pending.clear();
    }
    if (m_clientsDirty)
        RefreshClients();
}

void TSimWindow::RefreshClients() {
    m_clientsDirty = false;
    const int current = CurrentClient();
    const QList<int> numbers = m_server.Clients();
    // Rows are kept in connection order and reused, so the selection and scroll position stay.
    while (m_clients->topLevelItemCount() > numbers.size())
        delete m_clients->takeTopLevelItem(m_clients->topLevelItemCount() - 1);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        QTreeWidgetItem* item = m_clients->topLevelItem(int(i));
        if (!item)
            item = new QTreeWidgetItem(m_clients);
        const TSimClient* c = m_server.Client(numbers.at(i));
        const QString state = !c->Initialised ? QStringLiteral("waiting for initialise")
                              : c->Answering  ? QStringLiteral("connected")
                                              : QStringLiteral("not answering");
        const QStringList texts = {QString::number(c->Number),
                                   KvdTypes::EscapeControls(QString::fromLocal8Bit(c->Name)), state,
                                   QString::number(c->Buttons.size()), c->Peer};
        for (int column = 0; column < texts.size(); ++column)
            if (item->text(column) != texts.at(column))
                item->setText(column, texts.at(column));
        item->setData(0, Qt::UserRole, c->Number);
        item->setForeground(2, c->Answering ? palette().text() : QBrush(Qt::red));
        if (c->Number == current)
            m_clients->setCurrentItem(item);
    }
    for (int column = 0; column < m_clients->columnCount() - 1; ++column)
        m_clients->resizeColumnToContents(column);
}

int TSimWindow::CurrentClient() const {
    const QTreeWidgetItem* item = m_clients->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void TSimWindow::SendConsole() {
    const int n = CurrentClient();
    if (!n)
        return;
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Console Text"),
                                               QStringLiteral("Text for client %1:").arg(n),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok)
        m_server.Console(n, text.toLocal8Bit());
}

std::unique_ptr<QCoreApplication> MakeSimApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

int RunSimWindow(TSimServer& server) {
    TSimWindow window(server);
    window.resize(900, 560);
    window.show();
    return QApplication::exec();
}

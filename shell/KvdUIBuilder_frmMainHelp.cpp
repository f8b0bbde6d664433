// Help -> User guide: the illustrated guide (docs/guide.md), installed beside the program's other
// documentation and opened with the desktop's viewer for it.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/Exceptions.h"
#include "shell/KvdUIBuilder_Application.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

QString TfrmMain::UserGuideFile() {
    const QDir exe(QCoreApplication::applicationDirPath());
    // Installed: <prefix>/bin/KvdUIBuilder and <prefix>/<docdir>/guide.md; run from a build: the sources.
    const QStringList candidates{
        exe.filePath(QStringLiteral("../" KVD_INSTALL_DOCDIR "/guide.md")),
        exe.filePath(QStringLiteral("guide.md")),
        QStringLiteral(KVD_SOURCE_DIR "/docs/guide.md"),
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    return QString();
}

void TfrmMain::CreateHelpMenu(QMenu* help) {
    actUserGuide = new QAction(QStringLiteral("User guide"), this);
    actUserGuide->setObjectName(QStringLiteral("actUserGuide"));
    actUserGuide->setShortcut(QKeySequence::HelpContents);
    actUserGuide->setStatusTip(
        QStringLiteral("Open the illustrated guide to designing, checking and previewing"));
    connect(actUserGuide, &QAction::triggered, this, [this] {
        RunGuarded([] {
            const QString guide = UserGuideFile();
            if (guide.isEmpty())
                throw Exception(QStringLiteral("The user guide (guide.md) is not installed."));
            if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
                throw Exception(
                    QStringLiteral("No program to show %1 was found.").arg(QDir::toNativeSeparators(guide)));
        });
    });
    help->addAction(actUserGuide);
    help->addSeparator();
}

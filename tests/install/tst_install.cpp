// The installation: `cmake --install` into a temporary prefix, checked file by file (programs, desktop
// entry, icon, layout file type), the desktop entry validated when desktop-file-validate is present, and
// the Debian package built by cpack with dependencies found from the linked libraries.

#include "tests/ChildProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Run {
    int status = -1;
    QString output;
};

Run Start(const QString& program, const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const ChildResult result = FinishChild(p, timeoutMs);
    // Standard error goes with the output; only a timeout leaves text there.
    return {result.status, QString::fromLocal8Bit(result.out + result.err)};
}

const QString Id = QStringLiteral("org.korvadia.KvdUIBuilder");

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_prefix;

private slots:
    void initTestCase() {
        QVERIFY(m_prefix.isValid());
        const Run run =
            Start(QStringLiteral(KVD_CMAKE), {QStringLiteral("--install"), QStringLiteral(KVD_BUILD_DIR),
                                              QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY2(run.status == 0, qPrintable(run.output));
    }

    void programsInBin() {
        const QDir bin(m_prefix.filePath(QStringLiteral("bin")));
        QStringList expected = {QStringLiteral("KvdUIBuilder"), QStringLiteral("kvdui")};
        for (const QString& name : expected) {
            const QFileInfo program(bin.filePath(name));
            QVERIFY2(program.isFile() && program.isExecutable(), qPrintable(name));
        }
        // Whatever else is in bin/ is a program too.
        for (const QString& name : bin.entryList(QDir::Files))
            QVERIFY2(QFileInfo(bin.filePath(name)).isExecutable(), qPrintable(name));
        const Run version = Start(bin.filePath(QStringLiteral("kvdui")), {QStringLiteral("--version")});
        QCOMPARE(version.output, QStringLiteral("kvdui 0.9.1.0\n"));
    }

    void desktopEntryAndIcon() {
        const QString entry = m_prefix.filePath(QStringLiteral("share/applications/%1.desktop").arg(Id));
        QVERIFY(QFileInfo::exists(entry));
        QSettings desktop(entry, QSettings::IniFormat);
        desktop.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(desktop.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
        const QString exec = desktop.value(QStringLiteral("Exec")).toString().section(QLatin1Char(' '), 0, 0);
        QVERIFY2(QFileInfo(m_prefix.filePath(QStringLiteral("bin/") + exec)).isExecutable(),
                 qPrintable(exec));
        QVERIFY(desktop.value(QStringLiteral("MimeType"))
                    .toString()
                    .contains(QStringLiteral("application/x-kvdui")));
        const QString icon = desktop.value(QStringLiteral("Icon")).toString();
        const QString svg =
            m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon));
        QVERIFY2(QFileInfo::exists(svg), qPrintable(svg));
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QStringLiteral("svg"));

        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validate.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        const Run run = Start(validate, {entry});
        QVERIFY2(run.status == 0 && run.output.trimmed().isEmpty(), qPrintable(run.output));
    }

    void layoutFileType() {
        const QString package = m_prefix.filePath(QStringLiteral("share/mime/packages/%1.xml").arg(Id));
        QFile file(package);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString type, glob, root;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QStringLiteral("mime-type"))
                type = xml.attributes().value(QStringLiteral("type")).toString();
            else if (xml.name() == QStringLiteral("glob"))
                glob = xml.attributes().value(QStringLiteral("pattern")).toString();
            else if (xml.name() == QStringLiteral("root-XML"))
                root = xml.attributes().value(QStringLiteral("localName")).toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(type, QStringLiteral("application/x-kvdui"));
        QCOMPARE(glob, QStringLiteral("*.kvdui"));
        QCOMPARE(root, QStringLiteral("ui"));

        // The shared-mime-info compiler takes it.
        const QString update = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (update.isEmpty())
            QSKIP("update-mime-database is not installed");
        const QString mime = m_prefix.filePath(QStringLiteral("share/mime"));
        const Run run = Start(update, {mime});
        QVERIFY2(run.status == 0, qPrintable(run.output));
        QFile globs(mime + QStringLiteral("/globs2"));
        QVERIFY(globs.open(QIODevice::ReadOnly));
        QVERIFY(globs.readAll().contains("application/x-kvdui:*.kvdui"));
    }

    void debianPackage() {
        const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
        if (dpkgDeb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
            QSKIP("dpkg-deb or dpkg-shlibdeps is not installed");
        QTemporaryDir out;
        const Run run =
            Start(QStringLiteral(KVD_CPACK),
                  {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                   QStringLiteral(KVD_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out.path()});
        QVERIFY2(run.status == 0, qPrintable(run.output));
        const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());
        const Run depends = Start(dpkgDeb, {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
        QVERIFY2(depends.output.contains(QStringLiteral("libqt6widgets6")), qPrintable(depends.output));
        QVERIFY(depends.output.contains(QStringLiteral("libc6")));
        const Run contents = Start(dpkgDeb, {QStringLiteral("-c"), deb});
        for (const QString& path :
             {QStringLiteral("./usr/bin/KvdUIBuilder"), QStringLiteral("./usr/bin/kvdui"),
              QStringLiteral("./usr/share/applications/%1.desktop").arg(Id),
              QStringLiteral("./usr/share/mime/packages/%1.xml").arg(Id)})
            QVERIFY2(contents.output.contains(path), qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"

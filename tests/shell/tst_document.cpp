// The document the builder edits, without a window: its commands, their questions and their rules.

#include "core/Exceptions.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Document.h"
#include "shell/KvdUIBuilder_Recovery.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

namespace {

// Answers the document's questions from a script and records what was asked.
class TScriptedQuestions : public TDocumentQuestions {
public:
    std::deque<TSaveChanges> SaveAnswers;
    std::deque<QString> FileAnswers;
    std::deque<TChangedFile> ChangedAnswers;
    QStringList Asked;

    TSaveChanges AskSaveChanges(const QString& documentName) override {
        Asked << QStringLiteral("save changes: ") + documentName;
        return Take(SaveAnswers, TSaveChanges::Cancel);
    }
    QString ChooseFile(bool save) override {
        Asked << (save ? QStringLiteral("save as") : QStringLiteral("open"));
        return Take(FileAnswers, QString());
    }
    TChangedFile AskOverwriteChanged(const QString& fileName, bool exists) override {
        Asked << (exists ? QStringLiteral("changed: ") : QStringLiteral("removed: ")) + fileName;
        return Take(ChangedAnswers, TChangedFile::Cancel);
    }
    void Inform(const QString& message) override { Asked << QStringLiteral("inform: ") + message; }

private:
    // An unscripted question is cancelled, so that a test that did not expect it fails on what follows.
    template <typename T> static T Take(std::deque<T>& answers, T otherwise) {
        if (answers.empty())
            return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // Writes the bytes to the file of that name and opens it in the document; the file's path.
    QString Opened(TBuilderDocument& doc, const QString& name, const QByteArray& bytes) const {
        const QString path = Path(name);
        WriteFile(path, bytes);
        doc.Load(path, QString());
        return path;
    }

    static TKvdUIButton* AddButton(TBuilderDocument& doc, int left) {
        auto* button = new TKvdUIButton(doc.Root());
        button->SetParentControl(doc.Root());
        button->SetBounds(left, 20, 40, 20);
        return button;
    }
    static QList<TKvdUIElement*> Elements(const TBuilderDocument& doc) {
        QList<TKvdUIElement*> elements;
        for (TControl* child : doc.Root()->ChildControls())
            if (auto* element = qobject_cast<TKvdUIElement*>(child))
                elements << element;
        return elements;
    }

    // A layout of two buttons as the builder writes it, the first at firstLeft.
    static QByteArray TwoButtons(int firstLeft = 10) {
        TScriptedQuestions ask;
        TBuilderDocument scratch(ask, QString());
        AddButton(scratch, firstLeft);
        AddButton(scratch, 60);
        return WriteLayout(scratch.Root()).toUtf8();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        RegisterElementClasses();
    }

    void newSaveAndSaveAs() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        QSignalSpy states(&doc, &TBuilderDocument::StateChanged);
        QSignalSpy used(&doc, &TBuilderDocument::FileUsed);
        QSignalSpy refreshes(&doc, &TBuilderDocument::RefreshNeeded);
        QCOMPARE(doc.State(), TBuilderDocument::TState::None);
        QCOMPARE(doc.Name(), QString());
        QVERIFY(!doc.Save()); // nothing to save without a document

        doc.New();
        QCOMPARE(doc.State(), TBuilderDocument::TState::Unsaved);
        QCOMPARE(doc.Name(), QStringLiteral("Unsaved.kvdui"));
        QVERIFY(!doc.Modified());
        QCOMPARE(states.size(), 1);
        AddButton(doc, 20);
        QVERIFY(doc.Modified());
        QVERIFY(!refreshes.isEmpty());

        // Save on a new document asks for a name; cancelled, nothing changes.
        QVERIFY(!doc.Save());
        QCOMPARE(ask.Asked, QStringList{QStringLiteral("save as")});
        QVERIFY(doc.Modified());
        QCOMPARE(doc.Name(), QStringLiteral("Unsaved.kvdui"));

        const QString path = Path(QStringLiteral("saved.kvdui"));
        ask.FileAnswers = {path};
        QVERIFY(doc.Save());
        QCOMPARE(doc.State(), TBuilderDocument::TState::Stored);
        QCOMPARE(doc.FileName(), path);
        QVERIFY(!doc.Modified());
        QCOMPARE(used.size(), 1);
        QCOMPARE(used.first().first().toString(), path);
        QCOMPARE(QString::fromUtf8(ReadFile(path)), WriteLayout(doc.Root()));

        // A stored document saves to its file without a question.
        Elements(doc).first()->SetLeft(30);
        QVERIFY(doc.Modified());
        QVERIFY(doc.Save());
        QCOMPARE(ask.Asked.size(), 2);
        QCOMPARE(QString::fromUtf8(ReadFile(path)), WriteLayout(doc.Root()));
    }

    // What each answer to "Save changes" does to the command that asked.
    void changesAreAskedAbout_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("cancel") << int(TDocumentQuestions::TSaveChanges::Cancel) << QString() << false;
        QTest::newRow("discard") << int(TDocumentQuestions::TSaveChanges::Discard) << QString() << true;
        QTest::newRow("save, no name chosen")
            << int(TDocumentQuestions::TSaveChanges::Save) << QString() << false;
        QTest::newRow("save") << int(TDocumentQuestions::TSaveChanges::Save) << QStringLiteral("asked.kvdui")
                              << true;
    }
    void changesAreAskedAbout() {
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(bool, cleared);
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        doc.New();
        AddButton(doc, 20);
        const QString layout = WriteLayout(doc.Root());
        ask.SaveAnswers = {TDocumentQuestions::TSaveChanges(answer)};
        if (!file.isEmpty())
            ask.FileAnswers = {Path(file)};
        QCOMPARE(doc.Close(), cleared);
        QCOMPARE(ask.Asked.first(), QStringLiteral("save changes: Unsaved.kvdui"));
        QCOMPARE(doc.IsOpen(), !cleared);
        QCOMPARE(Elements(doc).isEmpty(), cleared);
        QCOMPARE(doc.Modified(), !cleared);
        if (!file.isEmpty())
            QCOMPARE(QString::fromUtf8(ReadFile(Path(file))), layout);
        // Without changes nothing is asked.
        if (cleared) {
            ask.Asked.clear();
            doc.New();
            QVERIFY(ask.Asked.isEmpty());
        }
    }

    // After Undo or Redo the document is modified unless it holds what was last opened or saved.
    void undoAndRedoAgainstTheSavedText() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        const QString path = Opened(doc, QStringLiteral("undo.kvdui"), TwoButtons());
        QVERIFY(!doc.Modified());
        QCOMPARE(doc.Snapshot(), WriteLayout(doc.Root()));
        Elements(doc).first()->SetLeft(100);
        doc.Snapshot();
        QCOMPARE(doc.History()->UndoCount(), 2); // the surface before the load, the load
        QVERIFY(doc.Save());
        QVERIFY(!doc.Modified());

        doc.Undo();
        QCOMPARE(Elements(doc).first()->Left(), 10);
        QVERIFY(doc.Modified()); // the saved file holds 100
        doc.Snapshot();          // the state from the history is no new step
        QCOMPARE(doc.History()->RedoCount(), 1);
        doc.Redo();
        QCOMPARE(Elements(doc).first()->Left(), 100);
        QVERIFY(!doc.Modified());
    }

    // A file that does not read leaves the document as it was; one that reads is one bulk update.
    void loading() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        const QString good = Path(QStringLiteral("good.kvdui"));
        WriteFile(good, TwoButtons());
        QSignalSpy started(&doc, &TBuilderDocument::BulkUpdateStarted);
        QSignalSpy ended(&doc, &TBuilderDocument::BulkUpdateEnded);
        QSignalSpy changes(&doc, &TBuilderDocument::ElementChanged);
        QSignalSpy loaded(&doc, &TBuilderDocument::Loaded);
        doc.Load(good, QString());
        QCOMPARE(started.size(), 1);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(loaded.size(), 1);
        int created = 0;
        for (const QList<QVariant>& change : std::as_const(changes))
            created += change.at(1).value<TKvdUIElementChange>() == ecCreated;
        QCOMPARE(created, 2);
        QVERIFY(!doc.InBulkUpdate());
        QVERIFY(!doc.Modified());

        AddButton(doc, 200);
        const QString before = WriteLayout(doc.Root());
        const QString broken = Path(QStringLiteral("broken.kvdui"));
        WriteFile(broken, TwoButtons().replace("</ui>", "<element type=\"TKvdUIButton\" id=\"x\"/>"));
        QSignalSpy used(&doc, &TBuilderDocument::FileUsed);
        QVERIFY_THROWS_EXCEPTION(Exception, doc.Load(broken, QString()));
        QCOMPARE(doc.FileName(), good);
        QCOMPARE(WriteLayout(doc.Root()), before);
        QVERIFY(doc.Modified());
        QVERIFY(used.isEmpty());
        QVERIFY(!doc.InBulkUpdate());
        QCOMPARE(started.size(), ended.size());
    }

    // A save that cannot be written keeps the file, the name and the modified flag.
    void failedSave() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        const QString path = Opened(doc, QStringLiteral("sub/kept.kvdui"), "<ui/>");
        AddButton(doc, 20);
        QVERIFY(QDir(m_dir.path()).rename(QStringLiteral("sub"), QStringLiteral("gone")));
        QVERIFY_THROWS_EXCEPTION(Exception, doc.Save());
        QVERIFY(ask.Asked.isEmpty()); // with its folder gone there is nothing to choose
        QVERIFY(doc.Modified());
        QCOMPARE(doc.FileName(), path);
        QCOMPARE(ReadFile(Path(QStringLiteral("gone/kept.kvdui"))), QByteArray("<ui/>"));
    }

    // Save asks before it writes over a file another program changed or removed since it was read.
    void saveOverAChangedFile() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        const QString path = Opened(doc, QStringLiteral("shared.kvdui"), TwoButtons());
        AddButton(doc, 200);
        WriteFile(path, "<ui/>");

        QVERIFY(!doc.Save()); // cancelled
        QCOMPARE(ask.Asked, QStringList{QStringLiteral("changed: ") + path});
        QCOMPARE(ReadFile(path), QByteArray("<ui/>"));
        QVERIFY(doc.Modified());

        const QString other = Path(QStringLiteral("other.kvdui"));
        ask.ChangedAnswers = {TDocumentQuestions::TChangedFile::SaveAs};
        ask.FileAnswers = {other};
        QVERIFY(doc.Save()); // under the other name
        QCOMPARE(doc.FileName(), other);
        QCOMPARE(ReadFile(path), QByteArray("<ui/>"));
        QCOMPARE(QString::fromUtf8(ReadFile(other)), WriteLayout(doc.Root()));

        Elements(doc).first()->SetLeft(12);
        QVERIFY(QFile::remove(other));
        ask.Asked.clear();
        ask.ChangedAnswers = {TDocumentQuestions::TChangedFile::Overwrite};
        QVERIFY(doc.Save());
        QCOMPARE(ask.Asked, QStringList{QStringLiteral("removed: ") + other});
        QCOMPARE(QString::fromUtf8(ReadFile(other)), WriteLayout(doc.Root()));
    }

    // Another program's change of an unmodified document's file is reported once it has settled.
    void changeElsewhereOffersReload() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        const QString path = Opened(doc, QStringLiteral("watched.kvdui"), TwoButtons());
        QSignalSpy offered(&doc, &TBuilderDocument::ChangedElsewhere);
        WriteFile(path, TwoButtons(30));
        QVERIFY(offered.wait(5000));
        QCOMPARE(offered.first().first().toString(), path);
        doc.Reload(path);
        QCOMPARE(Elements(doc).first()->Left(), 30);
        QVERIFY(!doc.Modified());

        QSignalSpy messages(&doc, &TBuilderDocument::Message);
        QVERIFY(QFile::remove(path));
        QVERIFY(messages.wait(5000));
        QCOMPARE(messages.first().first().toString(),
                 QStringLiteral("%1 was deleted or moved by another program.")
                     .arg(QDir::toNativeSeparators(path)));
    }

    // The recovery copy follows the unsaved state; a restored copy is a change to save, under a name that
    // Save may write.
    void recoveryCopies() {
        TScriptedQuestions ask;
        const QString folder = Path(QStringLiteral("recovery"));
        TBuilderDocument doc(ask, folder);
        QVERIFY(doc.Recovery());
        doc.New();
        AddButton(doc, 20);
        const QString text = doc.Snapshot();
        doc.Recovery()->Flush();
        QVERIFY(QFile::exists(doc.Recovery()->CopyPath()));
        ask.FileAnswers = {Path(QStringLiteral("recovered.kvdui"))};
        QVERIFY(doc.Save());
        doc.Recovery()->Flush();
        QVERIFY(!QFile::exists(doc.Recovery()->CopyPath()));

        QVERIFY(TBuilderDocument::ReadProblem(text).isEmpty());
        QVERIFY(!TBuilderDocument::ReadProblem(QStringLiteral("<ui><element id=")).isEmpty());

        TRecoveryCopy copy;
        copy.Layout = text;
        copy.FileName = Path(QStringLiteral("restored.kvdui"));
        TBuilderDocument restored(ask, QString());
        QSignalSpy used(&restored, &TBuilderDocument::FileUsed);
        restored.Restore(copy);
        QCOMPARE(restored.State(), TBuilderDocument::TState::Stored);
        QCOMPARE(restored.FileName(), copy.FileName);
        QVERIFY(restored.Modified());
        QCOMPARE(used.size(), 1);
        QCOMPARE(WriteLayout(restored.Root()), text);
        QCOMPARE(restored.History()->UndoCount(), 0);
        // No stamp came with the copy: the file did not exist, so Save writes it without a question.
        ask.Asked.clear();
        QVERIFY(restored.Save());
        QVERIFY(ask.Asked.isEmpty());
        QCOMPARE(QString::fromUtf8(ReadFile(copy.FileName)), text);
    }

#ifdef Q_OS_UNIX
    // A copy of a file whose name is not UTF-8: Save says the name cannot be written and asks for another.
    void restoredOddNameAsksForAName() {
        TScriptedQuestions ask;
        TBuilderDocument doc(ask, QString());
        TRecoveryCopy copy;
        copy.Layout = QString::fromUtf8(TwoButtons());
        copy.FileName = TFileName::FromBytes(QFile::encodeName(m_dir.path()) + "/caf\xe9.kvdui").KeptText();
        doc.Restore(copy);
        QVERIFY(doc.Modified());
        const QString chosen = Path(QStringLiteral("cafe.kvdui"));
        ask.FileAnswers = {chosen};
        QVERIFY(doc.Save());
        QCOMPARE(ask.Asked.size(), 2);
        QVERIFY2(ask.Asked.first().startsWith(QStringLiteral("inform: The file name \"")),
                 qPrintable(ask.Asked.first()));
        QVERIFY(ask.Asked.first().endsWith(
            QStringLiteral("is not valid UTF-8, so the layout cannot be saved under "
                           "it. Choose a name to save it as.")));
        QCOMPARE(ask.Asked.last(), QStringLiteral("save as"));
        QCOMPARE(doc.FileName(), chosen);
        QVERIFY(QFile::exists(chosen));
    }
#endif
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"

// The layout text: structure and attribute order, absolute positions, the reader's tolerant and
// failing cases, and hostile documents.

#include "LayoutSurface.h"
#include "core/Exceptions.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "layout/KvdUILayoutSource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <atomic>
#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Surface = TTestSurface;

template <typename T> T* place(Surface& s, TControl* parent, int l, int t) {
    auto* e = new T(s.Root());
    e->SetParentControl(parent);
    e->SetID(e->ID());
    e->SetLeft(l);
    e->SetTop(t);
    return e;
}

QString element(const QString& attrs, const QString& inner = QString()) {
    return QStringLiteral("<element %1>%2</element>").arg(attrs, inner);
}

QString attrs(const QString& type, int relLeft, int relTop, int width, int height, int id,
              const QString& text = QString(), int bstyle = 40) {
    return QStringLiteral(
               "type=\"%1\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"%2\" rel_top=\"%3\" width=\"%4\" "
               "height=\"%5\" id=\"%6\" text=\"%7\" typein=\"0\" bstyle=\"%8\" left=\"0\" top=\"0\"")
        .arg(type)
        .arg(relLeft)
        .arg(relTop)
        .arg(width)
        .arg(height)
        .arg(id)
        .arg(text)
        .arg(bstyle);
}

QString doc(const QString& body) {
    return QStringLiteral("<?xml version=\"1.0\"?><ui>%1</ui>").arg(body);
}

QString readError(Surface& s, const QString& text) {
    try {
        ReadLayout(s.Root(), QString(), text);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

QString readFileError(Surface& s, const QString& fileName) {
    try {
        ReadLayout(s.Root(), fileName);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

class TstLayoutFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegisterElementClasses(); }

    void emptySurface() {
        Surface s;
        const QString text = WriteLayout(s.Root());
        QXmlStreamReader xml(text);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QLatin1String("ui"));
        QVERIFY(xml.attributes().isEmpty());
        QVERIFY(!xml.readNextStartElement());
        Surface t;
        ReadLayout(t.Root(), QString(), text);
        QCOMPARE(t.Root()->ComponentCount(), 0);
        ReadLayout(t.Root(), QString(), QString()); // an empty snapshot restores an empty layout
        QCOMPARE(t.Root()->ComponentCount(), 0);
    }

    void attributesInOrderWithAbsolutePositions() {
        Surface s;
        auto* panel = place<TKvdUIPanel>(s, s.Root(), 40, 60);
        auto* button = place<TKvdUIButton>(s, panel, 10, 20);
        button->SetText(QStringLiteral("Go <now> & \"then\""));
        place<TKvdUIText>(s, s.Root(), 300, 300);
        const QString text = WriteLayout(s.Root());
        QXmlStreamReader xml(text);
        QVERIFY(xml.readNextStartElement()); // ui
        QVERIFY(xml.readNextStartElement()); // panel
        QStringList names;
        for (const auto& a : xml.attributes())
            names << a.name().toString();
        QCOMPARE(names, QStringList({"type", "align", "anchors", "rel_left", "rel_top", "width", "height",
                                     "id", "text", "typein", "bstyle", "left", "top"}));
        QCOMPARE(xml.attributes().value("bstyle"), QLatin1String("32"));
        QCOMPARE(xml.attributes().value("text"), QLatin1String(""));
        QVERIFY(xml.readNextStartElement()); // nested button
        const auto b = xml.attributes();
        QCOMPARE(b.value("type"), QLatin1String("TKvdUIButton"));
        QCOMPARE(b.value("rel_left"), QLatin1String("10"));
        QCOMPARE(b.value("rel_top"), QLatin1String("20"));
        QCOMPARE(b.value("left"), QLatin1String("50"));
        QCOMPARE(b.value("top"), QLatin1String("80"));
        QCOMPARE(b.value("anchors"), QLatin1String("akLeft,akTop"));
        QCOMPARE(b.value("bstyle"), QLatin1String("40"));
        QCOMPARE(b.value("id"), QLatin1String("1"));
        // One indentation level per depth.
        QVERIFY(text.contains(QStringLiteral("\n  <element type=\"TKvdUIPanel\"")));
        QVERIFY(text.contains(QStringLiteral("\n    <element type=\"TKvdUIButton\"")));

        // Reading it back gives the same text.
        Surface t;
        ReadLayout(t.Root(), QString(), text);
        QCOMPARE(WriteLayout(t.Root()), text);
        auto* copy = t.Root()->findChild<TKvdUIButton*>();
        QCOMPARE(copy->Text(), QStringLiteral("Go <now> & \"then\""));
        QCOMPARE(qobject_cast<TKvdUIPanel*>(copy->parentWidget())->Left(), 40);
    }

    // A name is written after the thirteen attributes, only where an element has one, and read back; a
    // duplicate read gets a free name and one that is not a name is left out.
    void elementNames() {
        Surface s;
        auto* button = place<TKvdUIButton>(s, s.Root(), 10, 10);
        auto* other = place<TKvdUIButton>(s, s.Root(), 100, 10);
        const QString unnamed = WriteLayout(s.Root());
        QVERIFY(!unnamed.contains(QStringLiteral("name=")));
        button->SetElementName(QStringLiteral("fuel_plus"));
        const QString text = WriteLayout(s.Root());
        QVERIFY(text.contains(QStringLiteral("left=\"10\" top=\"10\" name=\"fuel_plus\"/>")));
        QCOMPARE(QString(text).remove(QStringLiteral(" name=\"fuel_plus\"")), unnamed);

        QCOMPARE(other->FreeElementName(QStringLiteral("fuel_plus")), QStringLiteral("fuel_plus_2"));
        QCOMPARE(button->FreeElementName(QStringLiteral("fuel_plus")), QStringLiteral("fuel_plus"));
        QVERIFY_THROWS_EXCEPTION(EComponentError, other->SetElementName(QStringLiteral("fuel_plus")));
        QVERIFY_THROWS_EXCEPTION(EConvertError, other->SetElementName(QStringLiteral("2fast")));
        QVERIFY_THROWS_EXCEPTION(EConvertError, other->SetElementName(QString(64, QLatin1Char('a'))));
        other->SetElementName(QString(63, QLatin1Char('a')));
        other->SetElementName(QStringLiteral("fuel_plus_2"));
        QCOMPARE(button->FreeElementName(QStringLiteral("fuel_plus_2")), QStringLiteral("fuel_plus_3"));
        QCOMPARE(s.Root()->findChildren<TKvdUIButton*>().size(), 2);
        QCOMPARE(other->FreeElementName(QStringLiteral("fuel_plus")),
                 QStringLiteral("fuel_plus_2")); // its own
        // A freed name can be taken again.
        delete button;
        other->SetElementName(QStringLiteral("fuel_plus"));

        Surface t;
        ReadLayout(
            t.Root(), QString(),
            doc(element(attrs("TKvdUIButton", 0, 0, 40, 20, 1) + QStringLiteral(" name=\"go\"")) +
                element(attrs("TKvdUIButton", 60, 0, 40, 20, 2) + QStringLiteral(" name=\"go\"")) +
                element(attrs("TKvdUIButton", 120, 0, 40, 20, 3) + QStringLiteral(" name=\"no way\""))));
        QStringList names;
        for (auto* e : t.Root()->findChildren<TKvdUIButton*>())
            names << e->ElementName();
        QCOMPARE(names, QStringList({"go", "go_2", ""}));
    }

    void edgePositionsReadBackWhereSaved() {
        // A 16-column grid of 20-pixel buttons whose last column and row touch the surface's edges, and a
        // panel at the corner with a child at its own corner: reading changes nothing of any of them.
        QString body;
        int id = 0;
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 16; ++column)
                body += element(attrs("TKvdUIButton", 20 + column * 24, row == 0 ? 0 : 380, 20, 20, id++));
        body += element(attrs("TKvdUIButton", 378, 378, 20, 20, id++));
        body += element(attrs("TKvdUIPanel", 300, 300, 100, 100, id),
                        element(attrs("TKvdUIButton", 80, 90, 20, 10, id + 1)));
        Surface s;
        ReadLayout(s.Root(), QString(), doc(body));
        const QString once = WriteLayout(s.Root());
        QVERIFY(once.contains(QStringLiteral("rel_left=\"380\" rel_top=\"380\" width=\"20\" height=\"20\"")));
        QVERIFY(once.contains(QStringLiteral("rel_left=\"378\" rel_top=\"378\" width=\"20\" height=\"20\"")));
        QVERIFY(once.contains(QStringLiteral("rel_left=\"80\" rel_top=\"90\" width=\"20\" height=\"10\"")));
        Surface t;
        ReadLayout(t.Root(), QString(), once);
        QCOMPARE(WriteLayout(t.Root()), once);
    }

    void fileRoundTripKeepsOldFileOnFailure() {
        QTemporaryDir dir;
        Surface s;
        place<TKvdUIButton>(s, s.Root(), 10, 10);
        const QString path = dir.filePath(QStringLiteral("a.kvdui"));
        const QString text = WriteLayout(s.Root(), path);
        Surface t;
        ReadLayout(t.Root(), path);
        QCOMPARE(WriteLayout(t.Root()), text);
        try {
            WriteLayout(s.Root(), dir.filePath(QStringLiteral("missing/dir/b.kvdui")));
            QFAIL("saving into a missing folder succeeded");
        } catch (const Exception& e) {
            QVERIFY(e.Message().startsWith(QStringLiteral("Cannot create file \"")));
        }
        try {
            ReadLayout(t.Root(), dir.filePath(QStringLiteral("none.kvdui")));
            QFAIL("opening a missing file succeeded");
        } catch (const Exception& e) {
            QVERIFY(e.Message().startsWith(QStringLiteral("Cannot open file \"")));
        }
    }

    void tolerantReading() {
        Surface s;
        // rel_* win over left/top; odd values become even; typein keeps 8 bits; an unknown kind vanishes with
        // its subtree; a duplicate id becomes highest plus one; anchors in any case with blanks.
        const QString body =
            element(attrs("TKvdUIButton", 11, 21, 61, 31, 5).replace("typein=\"0\"", "typein=\"300\"")) +
            element(attrs("TGadget", 0, 0, 10, 10, 9), element(attrs("TKvdUIButton", 0, 0, 60, 30, 9))) +
            element(attrs("TKvdUIText", 100, 100, 100, 30, 5, "Hi", 64)
                        .replace("akLeft,akTop", "AKRIGHT , &quot;akBottom&quot; nonsense")) +
            element(
                attrs("TKvdUIButton", 350, 0, 40, 30, 2).replace("anchors=\"akLeft,akTop\"", "anchors=\"\""));
        ReadLayout(s.Root(), QString(), doc(body));
        const auto elements = s.Root()->findChildren<TKvdUIElement*>();
        QCOMPARE(elements.size(), 3);
        QCOMPARE(elements[0]->BoundsRect(), QRect(12, 20, 60, 30));
        QCOMPARE(elements[0]->InputLength(), 44);
        QCOMPARE(elements[1]->ID(), 6);
        QCOMPARE(elements[1]->Anchors(), TAnchors(akRight | akBottom));
        QCOMPARE(elements[1]->Text(), QStringLiteral("Hi"));
        QCOMPARE(elements[1]->Alignment(), taLeftJustify);
        // Size and position are applied together: 350 + 40 fits the 400-pixel surface, so it stays at 350.
        QCOMPARE(elements[2]->BoundsRect(), QRect(350, 0, 40, 30));
        QCOMPARE(elements[2]->Anchors(), TAnchors());
        // A large id keeps its low 8 bits.
        Surface t;
        ReadLayout(t.Root(), QString(), doc(element(attrs("TKvdUIButton", 0, 0, 60, 30, 513))));
        QCOMPARE(t.Root()->findChild<TKvdUIButton*>()->ID(), 1);
    }

    void failures_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("created");
        const QString good = element(attrs("TKvdUIButton", 0, 0, 60, 30, 0));
        QTest::newRow("missing type") << doc(good + "<element id=\"1\"/>")
                                      << "Could not convert variant of type (Null) into type (String)" << 1;
        QTest::newRow("missing text")
            << doc(good + element(attrs("TKvdUIButton", 0, 0, 60, 30, 1).replace("text=\"\"", "")))
            << "Could not convert variant of type (Null) into type (String)" << 2;
        QTest::newRow("bad integer")
            << doc(good +
                   element(attrs("TKvdUIButton", 0, 0, 60, 30, 1).replace("width=\"60\"", "width=\"6x\"")))
            << "'6x' is not a valid integer value" << 2;
        QTest::newRow("out of int range")
            << doc(element(attrs("TKvdUIButton", 0, 0, 60, 30, 0)
                               .replace("rel_left=\"0\"", "rel_left=\"99999999999\"")))
            << "'99999999999' is not a valid integer value" << 1;
    }
    void failures() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Surface s;
        QCOMPARE(readError(s, text), message);
        // Nothing is undone: what was read so far stays.
        QTEST(int(s.Root()->findChildren<TKvdUIElement*>().size()), "created");
    }

    void malformedXmlCreatesNothing() {
        Surface s;
        const QString text = doc(element(attrs("TKvdUIButton", 0, 0, 60, 30, 0))).chopped(3);
        QVERIFY(!readError(s, text).isEmpty());
        QCOMPARE(s.Root()->ComponentCount(), 0);
        QVERIFY(!readError(s, QStringLiteral("   ")).isEmpty());
        QVERIFY(!readError(s, QStringLiteral("\x01\x02garbage")).isEmpty());
        QCOMPARE(s.Root()->ComponentCount(), 0);
    }

    void anyRootNameAndStrayNodes() {
        Surface s;
        ReadLayout(s.Root(), QString(),
                   QStringLiteral("<layout><!-- note --><?pi x?>text") +
                       element(attrs("TKvdUIButton", 0, 0, 60, 30, 0)) + QStringLiteral("</layout>"));
        QCOMPARE(s.Root()->findChildren<TKvdUIElement*>().size(), 1);
    }

    void hostileDocuments() {
        // Absurd nesting is refused with a clear message rather than recursing without limit.
        QString deep;
        for (int i = 0; i < 5000; ++i)
            deep += QStringLiteral("<element>");
        Surface s;
        QVERIFY(readError(s, doc(deep)).contains(QStringLiteral("nested more than")));
        QCOMPARE(s.Root()->ComponentCount(), 0);
        // Nesting up to the limit reads.
        QString nested;
        for (int i = 0; i < MaxLayoutDepth; ++i)
            nested +=
                QStringLiteral("<element %1>").arg(attrs("TKvdUIPanel", 0, 0, 250, 200, 0, QString(), 32));
        for (int i = 0; i < MaxLayoutDepth; ++i)
            nested += QStringLiteral("</element>");
        ReadLayout(s.Root(), QString(), doc(nested));
        QCOMPARE(s.Root()->findChildren<TKvdUIElement*>().size(), MaxLayoutDepth);
        s.Clear();
        // A huge text and many elements read without trouble.
        const QString huge(2 * 1024 * 1024, QLatin1Char('x'));
        QString many;
        for (int i = 0; i < 3000; ++i)
            many += element(attrs("TKvdUIButton", (i * 2) % 340, (i * 4) % 370, 60, 30, i % 256));
        ReadLayout(s.Root(), QString(), doc(element(attrs("TKvdUIText", 0, 0, 100, 30, 0, huge, 64)) + many));
        QCOMPARE(s.Root()->findChildren<TKvdUIElement*>().size(), 3001);
        QCOMPARE(s.Root()->findChild<TKvdUIText*>()->Text().size(), huge.size());
    }

    // Reading places aligned elements one at a time, in document order: each aligned element read moves the
    // aligned siblings before it, and an aligned panel that shrinks moves its anchored children with it.
    // The bounds below are worked out by hand from that order.
    void alignedLayoutReadsAsPlacedOneByOne() {
        const auto aligned = [](QString a, TAlign align,
                                const QString& anchors = QStringLiteral("akLeft,akTop")) {
            return a.replace(QStringLiteral("align=\"0\""), QStringLiteral("align=\"%1\"").arg(int(align)))
                .replace(QStringLiteral("anchors=\"akLeft,akTop\""),
                         QStringLiteral("anchors=\"%1\"").arg(anchors));
        };
        const QString body =
            element(aligned(attrs("TKvdUIPanel", 0, 0, 250, 200, 1, QString(), 32), alClient),
                    element(aligned(attrs("TKvdUIButton", 100, 50, 60, 30, 2), alNone, "akRight")) +
                        element(aligned(attrs("TKvdUIButton", 0, 0, 60, 30, 3), alTop))) +
            element(aligned(attrs("TKvdUIButton", 0, 0, 60, 40, 4), alTop)) +
            element(aligned(attrs("TKvdUIButton", 0, 0, 50, 30, 5), alLeft)) +
            element(aligned(attrs("TKvdUIButton", 0, 0, 40, 30, 6), alBottom)) +
            element(attrs("TKvdUIText", 200, 300, 100, 30, 7, "T", 64));
        Surface s;
        ReadLayout(s.Root(), QString(), doc(body));
        QList<QRect> bounds;
        for (TControl* c : s.Root()->OwnedComponents())
            bounds << c->BoundsRect();
        const QList<QRect> expected = {
            QRect(50, 40, 350, 330), // client: what the top, left and bottom buttons leave
            QRect(50, 16, 60, 30),   // read at 100,50 in 400x400; the panel lost 50 width and 70 height
            QRect(0, 0, 350, 30),    // top of the panel
            QRect(0, 0, 400, 40),    QRect(0, 40, 50, 330), QRect(0, 370, 400, 30), QRect(200, 300, 100, 30)};
        QCOMPARE(bounds, expected);
    }

    // Only regular files up to the size limit are read; anything else is refused before reading, where it
    // used to block (a FIFO without a writer) or fill the memory.
    void onlyRegularFilesOfSaneSizeAreRead() {
        QTemporaryDir dir;
        Surface s;
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath(QStringLiteral("pipe.kvdui"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Should the reader block on the FIFO after all, a writer comes and goes after a few seconds so
        // that the test fails instead of hanging.
        std::atomic<bool> done = false;
        std::thread unblock([&] {
            for (int i = 0; i < 100 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!done)
                ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
        });
        const QString fifoError = readFileError(s, fifo);
        done = true;
        unblock.join();
        QCOMPARE(fifoError, QStringLiteral("Cannot open file \"%1\". It is not a regular file").arg(fifo));
#else
        // Windows has no FIFOs, but devices that open like files, under reserved names valid in any folder
        // and as "\\.\" paths.
        for (const QString& device :
             {QStringLiteral("NUL"), QStringLiteral("nul"), QStringLiteral("\\\\.\\NUL"),
              dir.filePath(QStringLiteral("NUL.kvdui"))})
            QCOMPARE(readFileError(s, device),
                     QStringLiteral("Cannot open file \"%1\". It is not a regular file")
                         .arg(QDir::toNativeSeparators(device)));
        // Reading the console or a serial port would wait for input; they are refused as devices or, where
        // the system opens no such thing, with its reason.
        for (const QString& device :
             {QStringLiteral("CON"), QStringLiteral("COM1"), dir.filePath(QStringLiteral("con"))}) {
            const QString error = readFileError(s, device);
            QVERIFY2(error.startsWith(
                         QStringLiteral("Cannot open file \"%1\". ").arg(QDir::toNativeSeparators(device))),
                     qPrintable(error));
        }
#endif
        QCOMPARE(readFileError(s, dir.path()),
                 QStringLiteral("Cannot open file \"%1\". It is not a regular file")
                     .arg(QDir::toNativeSeparators(dir.path())));

        const QString big = dir.filePath(QStringLiteral("big.kvdui"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(MaxLayoutFileSize + 1)); // sparse: takes no disk space
        file.close();
        QCOMPARE(readFileError(s, big), QStringLiteral("Cannot open file \"%1\". It is larger than 64 MB")
                                            .arg(QDir::toNativeSeparators(big)));
        QCOMPARE(s.Root()->ComponentCount(), 0);
    }

    // Tags with absurdly many attributes are refused before the XML reader spends quadratic time on them;
    // quoted values, comments and the file's encoding do not confuse the count.
    void attributeLimit_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QByteArray many;
        for (int i = 0; i < MaxElementAttributes - 13; ++i)
            many += " x" + QByteArray::number(i) + "=\"1\"";
        const QByteArray button = attrs("TKvdUIButton", 0, 0, 60, 30, 0).toUtf8();
        const QByteArray atLimit = "<ui>\n<element " + button + many + "/></ui>";
        const QByteArray overLimit = "<ui>\n\n<element " + button + many + " y=\"2\"/></ui>";
        const QString refused =
            QStringLiteral("An element has more than %1 attributes (line 3)").arg(MaxElementAttributes);
        QTest::newRow("at the limit") << atLimit << QString();
        QTest::newRow("over the limit") << overLimit << refused;
        auto utf16 = [](const QByteArray& utf8) {
            const QString text = QString::fromUtf8(utf8);
            return QByteArray("\xff\xfe") +
                   QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        };
        QTest::newRow("over the limit, UTF-16") << utf16(overLimit) << refused;
        QTest::newRow("at the limit, UTF-16") << utf16(atLimit) << QString();
        const QByteArray equals(2 * MaxElementAttributes, '=');
        QTest::newRow("equals signs in values and comments")
            << "<ui><!-- <a " + equals + "> --><?pi " + equals + "?><element " +
                   attrs("TKvdUIButton", 0, 0, 60, 30, 0, QString::fromLatin1(equals)).toUtf8() + " z='" +
                   equals + "\"'/></ui>"
            << QString();
    }
    void attributeLimit() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.kvdui"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        Surface s;
        QCOMPARE(readFileError(s, path), error);
        QCOMPARE(s.Root()->ComponentCount(), error.isEmpty() ? 1 : 0);
    }

    void anchorsText() {
        QCOMPARE(AnchorsToText(TAnchors(akLeft | akTop)), QStringLiteral("akLeft,akTop"));
        QCOMPARE(AnchorsToText(TAnchors()), QString());
        QCOMPARE(AnchorsToText(TAnchors(akBottom | akLeft | akRight)),
                 QStringLiteral("akLeft,akRight,akBottom"));
        QCOMPARE(TextToAnchors(QStringLiteral("")), TAnchors());
        QCOMPARE(TextToAnchors(QStringLiteral("akBottom,bogus")), TAnchors(akBottom));
    }
};

QTEST_MAIN(TstLayoutFile)
#include "tst_layoutfile.moc"

// The component stream: what is stored, what is left out, names and references on reading, and a
// reader that refuses malformed bytes with a stream error instead of reading past the end.

#include "CoreProbe.h"
#include "core/ClassRegistry.h"
#include "core/ComponentStream.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/PropInfo.h"

#include <QRandomGenerator>
#include <QTest>

using namespace ComponentStream;

class TstComponentStream : public QObject {
    Q_OBJECT

    static QByteArray name(const QByteArray& text) { return char(text.size()) + text; }

private Q_SLOTS:
    void initTestCase() { ClassRegistry::Register<TProbe>(); }

    void roundTripKeepsValuesChildrenAndReferences() {
        TControl root;
        root.SetName(QStringLiteral("Root"));
        auto* a = new TProbe(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        a->SetBounds(10, 20, 30, 40);
        a->Caption = QStringLiteral("Grüße \"x\"");
        a->Kind = Probe::kdThird;
        a->SetAnchors(akRight | akBottom);
        a->Small = 200;
        a->Flag = true;
        a->Ratio = -2.5;
        a->Big = Q_INT64_C(1) << 40;
        a->SetTag(-70000);
        auto* inner = new TProbe(&root);
        inner->SetName(QStringLiteral("Inner"));
        inner->SetParentControl(a);
        inner->SetBounds(1, 2, 3, 4);
        inner->Buddy = a;
        a->Buddy = &root;

        TWriter writer(&root);
        writer.WriteComponent(a);
        writer.WriteListEnd();
        const QByteArray data = writer.Data();
        QVERIFY(data.startsWith("TPF0"));
        QCOMPARE(data.back(), '\0');
        // Defaults are not stored, values that differ from them are.
        QVERIFY(!data.contains(name("Kind") + char(vaIdent) + name("kdSecond")));
        QVERIFY(data.contains(name("Kind") + char(vaIdent) + name("kdThird")));

        TControl target;
        target.SetName(QStringLiteral("Root"));
        TReader reader(data, &target, &target);
        QList<TControl*> announced;
        reader.OnComponentRead = [&](TControl* c) { announced.append(c); };
        const QList<TControl*> read = reader.ReadComponents();
        QCOMPARE(read.size(), 1);
        QCOMPARE(announced, read);
        auto* b = qobject_cast<TProbe*>(read.first());
        QVERIFY(b);
        QCOMPARE(b->Name(), QStringLiteral("Box1"));
        QCOMPARE(b->Owner(), &target);
        QCOMPARE(b->parentWidget(), &target);
        QCOMPARE(b->BoundsRect(), QRect(10, 20, 30, 40));
        QCOMPARE(b->Caption, a->Caption);
        QCOMPARE(b->Kind, Probe::kdThird);
        QCOMPARE(b->Anchors(), TAnchors(akRight | akBottom));
        QCOMPARE(b->Small, quint8(200));
        QCOMPARE(b->Flag, true);
        QCOMPARE(b->Ratio, -2.5);
        QCOMPARE(b->Big, Q_INT64_C(1) << 40);
        QCOMPARE(b->Tag(), -70000);
        QCOMPARE(b->Buddy, &target); // the root's own name refers to the reading root
        QCOMPARE(b->ChildControls().size(), 1);
        auto* c = qobject_cast<TProbe*>(b->ChildControls().first());
        QCOMPARE(c->Owner(), &target);
        QCOMPARE(c->BoundsRect(), QRect(1, 2, 3, 4));
        QCOMPARE(c->Buddy, b); // resolved after the whole list was read
        QVERIFY(!c->ComponentState().testFlag(csLoading));
    }

    void renameHookAppliesToNamesAndReferences() {
        TControl root;
        auto* a = new TProbe(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        auto* b = new TProbe(&root);
        b->SetName(QStringLiteral("Box2"));
        b->SetParentControl(&root);
        b->Buddy = a;
        TWriter writer(&root);
        writer.WriteComponent(a);
        writer.WriteComponent(b);
        writer.WriteListEnd();

        // Reading into the same root: every name is taken, so both get new ones and the reference
        // follows the renamed component, not the original.
        QHash<QString, QString> renamed;
        int counter = 10;
        TReader reader(writer.Data(), &root, &root);
        reader.OnSetName = [&](TControl*, const QString& stored) {
            const QString fresh = QStringLiteral("Copy%1").arg(counter++);
            renamed.insert(stored, fresh);
            return fresh;
        };
        reader.OnReferenceName = [&](const QString& stored) { return renamed.value(stored, stored); };
        const QList<TControl*> read = reader.ReadComponents();
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0]->Name(), QStringLiteral("Copy10"));
        QCOMPARE(qobject_cast<TProbe*>(read[1])->Buddy, read[0]);
        QCOMPARE(b->Buddy, a);
    }

    void malformedData_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        const QByteArray box = name("TProbe") + name("B");
        QTest::newRow("empty") << QByteArray() << StreamReadError();
        QTest::newRow("bad signature")
            << QByteArray("TPF1") + box + '\0' + '\0' + '\0' << InvalidStreamFormat();
        QTest::newRow("unknown class") << QByteArray("TPF0") + name("TNothing") + name("X") + QByteArray(3, 0)
                                       << QStringLiteral("Class TNothing not found");
        QTest::newRow("unknown property")
            << QByteArray("TPF0") + box + name("Nope") + char(vaInt8) + char(1) + QByteArray(3, 0)
            << QStringLiteral("Property Nope does not exist");
        QTest::newRow("name is not a property")
            << QByteArray("TPF0") + box + name("Name") + char(vaIdent) + name("X") + QByteArray(3, 0)
            << QStringLiteral("Property Name does not exist");
        QTest::newRow("wrong tag") << QByteArray("TPF0") + box + name("Caption") + char(vaInt8) + char(1) +
                                          QByteArray(3, 0)
                                   << QStringLiteral("Invalid property value");
        QTest::newRow("byte out of range") << QByteArray("TPF0") + box + name("Small") + char(vaInt16) +
                                                  QByteArray("\x2c\x01", 2) + QByteArray(3, 0)
                                           << QStringLiteral("Invalid property value");
        QTest::newRow("unknown enum name")
            << QByteArray("TPF0") + box + name("Kind") + char(vaIdent) + name("kdPink") + QByteArray(3, 0)
            << QStringLiteral("Invalid property value");
        QTest::newRow("huge string length") << QByteArray("TPF0") + box + name("Caption") + char(vaUtf8) +
                                                   QByteArray("\xff\xff\xff\x7f", 4) + "abc"
                                            << StreamReadError();
        QTest::newRow("name past the end") << QByteArray("TPF0") + char(200) + "TProbe" << StreamReadError();
        QTest::newRow("no child list end")
            << QByteArray("TPF0") + box + QByteArray(1, 0) << StreamReadError();
        QByteArray deep;
        for (int i = 0; i <= TReader::MaxDepth + 1; ++i)
            deep += name("TProbe") + name("") + '\0';
        QTest::newRow("nesting too deep") << QByteArray("TPF0") + deep << InvalidStreamFormat();
    }

    void malformedData() {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        TControl root;
        TReader reader(data, &root, &root);
        try {
            reader.ReadComponents();
            QFAIL("no error raised");
        } catch (const Exception& e) {
            QCOMPARE(e.Message(), message);
        }
        // The record that failed is freed again.
        QCOMPARE(root.ComponentCount(), 0);
        QCOMPARE(root.ChildControls().size(), 0);
    }

    void completeRecordsStayWhenALaterOneFails() {
        TControl root;
        auto* a = new TProbe(&root);
        a->SetName(QStringLiteral("Box1"));
        TWriter writer(&root);
        writer.WriteComponent(a);
        QByteArray data = writer.Data() + "XXXX";
        TControl target;
        TReader reader(data, &target, &target);
        QVERIFY_THROWS_EXCEPTION(EReadError, reader.ReadComponents());
        QCOMPARE(target.ComponentCount(), 1);
    }

    // Every prefix of a valid stream, and random corruptions of it, either read or raise a stream
    // error; none may crash (run under the sanitizer build to catch over-reads).
    void truncatedAndCorruptedStreamsNeverCrash() {
        TControl root;
        auto* a = new TProbe(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        a->Caption = QStringLiteral("text");
        a->Ratio = 1.25;
        auto* inner = new TProbe(&root);
        inner->SetName(QStringLiteral("Inner"));
        inner->SetParentControl(a);
        inner->Buddy = a;
        TWriter writer(&root);
        writer.WriteComponent(a);
        writer.WriteListEnd();
        const QByteArray data = writer.Data();
        int errors = 0;
        for (qsizetype n = 0; n < data.size(); ++n) {
            TControl target;
            TReader reader(data.left(n), &target, &target);
            try {
                reader.ReadComponents();
            } catch (const Exception&) {
                ++errors;
            }
        }
        QCOMPARE(errors, int(data.size())); // no proper prefix is a complete stream
        QRandomGenerator random(4711);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bad = data;
            for (int k = 0; k < 3; ++k)
                bad[random.bounded(int(bad.size()))] = char(random.bounded(256));
            TControl target;
            TReader reader(bad, &target, &target);
            try {
                reader.ReadComponents();
            } catch (const Exception&) {
            }
        }
    }
};

QTEST_MAIN(TstComponentStream)
#include "tst_componentstream.moc"

// The component stream: what is stored, what is left out, names and references on reading, and a
// reader that refuses malformed bytes with a stream error instead of reading past the end.

#include "core/ClassRegistry.h"
#include "core/ComponentStream.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/PropInfo.h"

#include <QRandomGenerator>
#include <QTest>

namespace StreamProbe {
Q_NAMESPACE
enum TShade { shDark, shLight, shClear };
Q_ENUM_NS(TShade)
} // namespace StreamProbe

class TStreamBox : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_CLASSINFO("type:Caption", "TCaption")
    Q_PROPERTY(StreamProbe::TShade Shade READ Shade WRITE SetShade)
    Q_CLASSINFO("default:Shade", "shDark")
    Q_PROPERTY(Kvd::TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_CLASSINFO("default:Anchors", "akLeft,akTop")
    Q_PROPERTY(quint8 Small READ Small WRITE SetSmall)
    Q_PROPERTY(bool Flag READ Flag WRITE SetFlag)
    Q_CLASSINFO("default:Flag", "False")
    Q_PROPERTY(double Ratio READ Ratio WRITE SetRatio)
    Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
    Q_PROPERTY(TControl* Buddy READ Buddy WRITE SetBuddy)

public:
    explicit TStreamBox(TControl* owner = nullptr) : TControl(owner) { SetAcceptsControls(true); }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    StreamProbe::TShade Shade() const { return m_shade; }
    void SetShade(StreamProbe::TShade v) { m_shade = v; }
    quint8 Small() const { return m_small; }
    void SetSmall(quint8 v) { m_small = v; }
    bool Flag() const { return m_flag; }
    void SetFlag(bool v) { m_flag = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    qint64 Big() const { return m_big; }
    void SetBig(qint64 v) { m_big = v; }
    TControl* Buddy() const { return m_buddy; }
    void SetBuddy(TControl* v) { m_buddy = v; }

private:
    QString m_caption;
    StreamProbe::TShade m_shade = StreamProbe::shDark;
    quint8 m_small = 0;
    bool m_flag = false;
    double m_ratio = 0;
    qint64 m_big = 0;
    TControl* m_buddy = nullptr;
};

using namespace ComponentStream;

class TstComponentStream : public QObject {
    Q_OBJECT

    static QByteArray name(const QByteArray& text) { return char(text.size()) + text; }

private Q_SLOTS:
    void initTestCase() { ClassRegistry::Register<TStreamBox>(); }

    void roundTripKeepsValuesChildrenAndReferences() {
        TControl root;
        root.SetName(QStringLiteral("Root"));
        auto* a = new TStreamBox(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        a->SetBounds(10, 20, 30, 40);
        a->SetCaption(QStringLiteral("Grüße \"x\""));
        a->SetShade(StreamProbe::shClear);
        a->SetAnchors(akRight | akBottom);
        a->SetSmall(200);
        a->SetFlag(true);
        a->SetRatio(-2.5);
        a->SetBig(Q_INT64_C(1) << 40);
        a->SetTag(-70000);
        auto* inner = new TStreamBox(&root);
        inner->SetName(QStringLiteral("Inner"));
        inner->SetParentControl(a);
        inner->SetBounds(1, 2, 3, 4);
        inner->SetBuddy(a);
        a->SetBuddy(&root);

        TWriter writer(&root);
        writer.WriteComponent(a);
        writer.WriteListEnd();
        const QByteArray data = writer.Data();
        QVERIFY(data.startsWith("TPF0"));
        QCOMPARE(data.back(), '\0');
        // Defaults are not stored, values that differ from them are.
        QVERIFY(!data.contains(name("Shade") + char(vaIdent) + name("shDark")));
        QVERIFY(data.contains(name("Shade") + char(vaIdent) + name("shClear")));

        TControl target;
        target.SetName(QStringLiteral("Root"));
        TReader reader(data, &target, &target);
        QList<TControl*> announced;
        reader.OnComponentRead = [&](TControl* c) { announced.append(c); };
        const QList<TControl*> read = reader.ReadComponents();
        QCOMPARE(read.size(), 1);
        QCOMPARE(announced, read);
        auto* b = qobject_cast<TStreamBox*>(read.first());
        QVERIFY(b);
        QCOMPARE(b->Name(), QStringLiteral("Box1"));
        QCOMPARE(b->Owner(), &target);
        QCOMPARE(b->parentWidget(), &target);
        QCOMPARE(b->BoundsRect(), QRect(10, 20, 30, 40));
        QCOMPARE(b->Caption(), a->Caption());
        QCOMPARE(b->Shade(), StreamProbe::shClear);
        QCOMPARE(b->Anchors(), TAnchors(akRight | akBottom));
        QCOMPARE(b->Small(), quint8(200));
        QCOMPARE(b->Flag(), true);
        QCOMPARE(b->Ratio(), -2.5);
        QCOMPARE(b->Big(), Q_INT64_C(1) << 40);
        QCOMPARE(b->Tag(), -70000);
        QCOMPARE(b->Buddy(), &target); // the root's own name refers to the reading root
        QCOMPARE(b->ChildControls().size(), 1);
        auto* c = qobject_cast<TStreamBox*>(b->ChildControls().first());
        QCOMPARE(c->Owner(), &target);
        QCOMPARE(c->BoundsRect(), QRect(1, 2, 3, 4));
        QCOMPARE(c->Buddy(), b); // resolved after the whole list was read
        QVERIFY(!c->ComponentState().testFlag(csLoading));
    }

    void renameHookAppliesToNamesAndReferences() {
        TControl root;
        auto* a = new TStreamBox(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        auto* b = new TStreamBox(&root);
        b->SetName(QStringLiteral("Box2"));
        b->SetParentControl(&root);
        b->SetBuddy(a);
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
        QCOMPARE(qobject_cast<TStreamBox*>(read[1])->Buddy(), read[0]);
        QCOMPARE(b->Buddy(), a);
    }

    void malformedData_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        const QByteArray box = name("TStreamBox") + name("B");
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
            << QByteArray("TPF0") + box + name("Shade") + char(vaIdent) + name("shPink") + QByteArray(3, 0)
            << QStringLiteral("Invalid property value");
        QTest::newRow("huge string length") << QByteArray("TPF0") + box + name("Caption") + char(vaUtf8) +
                                                   QByteArray("\xff\xff\xff\x7f", 4) + "abc"
                                            << StreamReadError();
        QTest::newRow("name past the end")
            << QByteArray("TPF0") + char(200) + "TStreamBox" << StreamReadError();
        QTest::newRow("no child list end")
            << QByteArray("TPF0") + box + QByteArray(1, 0) << StreamReadError();
        QByteArray deep;
        for (int i = 0; i <= TReader::MaxDepth + 1; ++i)
            deep += name("TStreamBox") + name("") + '\0';
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
        auto* a = new TStreamBox(&root);
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
        auto* a = new TStreamBox(&root);
        a->SetName(QStringLiteral("Box1"));
        a->SetParentControl(&root);
        a->SetCaption(QStringLiteral("text"));
        a->SetRatio(1.25);
        auto* inner = new TStreamBox(&root);
        inner->SetName(QStringLiteral("Inner"));
        inner->SetParentControl(a);
        inner->SetBuddy(a);
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

// The component model: published properties with their type information, ownership and names,
// the class registry and the align/anchors step.

#include "CoreProbe.h"
#include "core/ClassRegistry.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/PropInfo.h"

#include <QTest>

class TstCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void publishedListSkipsQtProperties() {
        TProbe probe;
        QStringList names;
        for (const TPropInfo* p : Props::GetPropList(&probe))
            names << p->Name;
        QCOMPARE(names.first(), QStringLiteral("Name"));
        QVERIFY(names.contains(QStringLiteral("Caption")));
        QVERIFY(!names.contains(QStringLiteral("objectName")));
        QVERIFY(!names.contains(QStringLiteral("geometry")));
        // Case-insensitive lookup
        QCOMPARE(Props::GetPropInfo(&probe, QStringLiteral("caption"))->Name, QStringLiteral("Caption"));
        QVERIFY(!Props::GetPropInfo(&probe, QStringLiteral("nothing")));
    }

    void typeIdentityAndKinds() {
        TProbe probe;
        auto type = [&](const char* name) {
            return Props::GetPropInfo(&probe, QString::fromLatin1(name))->PropType;
        };
        QCOMPARE(type("Caption"), TypeInfo::TCaption());
        QVERIFY(type("Caption") != type("Hint")); // same Qt type, different identity
        QCOMPARE(type("Hint"), TypeInfo::String());
        QCOMPARE(type("Name"), TypeInfo::TComponentName());
        QCOMPARE(type("Cursor"), TypeInfo::TCursor());
        QCOMPARE(type("Kind")->Kind, TTypeKind::tkEnumeration);
        QCOMPARE(type("Kind")->EnumNames, QStringList({"kdFirst", "kdSecond", "kdThird"}));
        QCOMPARE(type("Anchors")->Kind, TTypeKind::tkSet);
        QCOMPARE(type("Anchors")->CompType->EnumNames,
                 QStringList({"akLeft", "akTop", "akRight", "akBottom"}));
        QCOMPARE(type("Small"), TypeInfo::Byte());
        QCOMPARE(type("Small")->MaxValue, 255);
        QCOMPARE(type("Flag"), TypeInfo::Boolean());
        QCOMPARE(type("Ratio")->Kind, TTypeKind::tkFloat);
        QVERIFY(!Props::GetPropInfo(&probe, QStringLiteral("Counter"))->Writable);
    }

    void readWriteByName() {
        TProbe probe;
        const TPropInfo* kind = Props::GetPropInfo(&probe, QStringLiteral("Kind"));
        Props::SetEnumProp(&probe, kind, QStringLiteral("KDTHIRD"));
        QCOMPARE(probe.Kind, Probe::kdThird);
        QCOMPARE(Props::GetEnumProp(&probe, kind), QStringLiteral("kdThird"));
        QVERIFY_THROWS_EXCEPTION(EPropertyError, Props::SetEnumProp(&probe, kind, QStringLiteral("kdNone")));

        const TPropInfo* anchors = Props::GetPropInfo(&probe, QStringLiteral("Anchors"));
        Props::SetPropText(&probe, anchors, QStringLiteral("[akRight, akBottom]"));
        QCOMPARE(probe.Anchors(), TAnchors(akRight | akBottom));
        QCOMPARE(Props::GetPropText(&probe, anchors), QStringLiteral("akRight,akBottom"));
        QCOMPARE(Props::SetToString(anchors->PropType, 0, true), QStringLiteral("[]"));

        const TPropInfo* flag = Props::GetPropInfo(&probe, QStringLiteral("Flag"));
        Props::SetOrdProp(&probe, flag, 1);
        QVERIFY(probe.Flag);
        QCOMPARE(Props::GetPropText(&probe, flag), QStringLiteral("True"));

        const TPropInfo* counter = Props::GetPropInfo(&probe, QStringLiteral("Counter"));
        QVERIFY_THROWS_EXCEPTION(EPropertyError, Props::SetOrdProp(&probe, counter, 3));
        QVERIFY_THROWS_EXCEPTION(EConvertError,
                                 Props::SetPropText(&probe, Props::GetPropInfo(&probe, QStringLiteral("Tag")),
                                                    QStringLiteral("x1")));
    }

    void streamingDefaults() {
        TProbe probe;
        const TPropInfo* kind = Props::GetPropInfo(&probe, QStringLiteral("Kind"));
        const TPropInfo* anchors = Props::GetPropInfo(&probe, QStringLiteral("Anchors"));
        const TPropInfo* caption = Props::GetPropInfo(&probe, QStringLiteral("Caption"));
        QVERIFY(Props::IsDefaultPropValue(&probe, kind));
        QVERIFY(Props::IsDefaultPropValue(&probe, anchors));
        QVERIFY(!Props::IsDefaultPropValue(&probe, caption)); // no default: always stored
        probe.Kind = Probe::kdFirst;
        probe.SetAnchors(TAnchors());
        QVERIFY(!Props::IsDefaultPropValue(&probe, kind));
        QVERIFY(!Props::IsDefaultPropValue(&probe, anchors));
    }

    void ownershipAndNames() {
        TControl root;
        auto* a = new TProbe(&root);
        auto* b = new TProbe(&root);
        a->SetName(QStringLiteral("First"));
        QCOMPARE(root.ComponentCount(), 2);
        QCOMPARE(root.Components(0), a);
        QCOMPARE(root.FindComponent(QStringLiteral("FIRST")), a);
        QVERIFY_THROWS_EXCEPTION(EComponentError, b->SetName(QStringLiteral("first")));
        QVERIFY_THROWS_EXCEPTION(EComponentError, b->SetName(QStringLiteral("1abc")));
        try {
            b->SetName(QStringLiteral("a b"));
            QFAIL("no error");
        } catch (const EComponentError& e) {
            QCOMPARE(e.Message(), QStringLiteral("''a b'' is not a valid component name"));
        }
        QCOMPARE(b->Name(), QString());
        delete a;
        QCOMPARE(root.ComponentCount(), 1);
        QCOMPARE(root.Components(0), b);
    }

    void ownerFreesOwnedAndNestedChildrenLeaveTheList() {
        auto* root = new TControl;
        auto* panel = new TProbe(root);
        panel->SetParentControl(root);
        auto* nested = new TProbe(root);
        nested->SetParentControl(panel);
        QPointer<TProbe> watch(nested);
        delete panel; // the visual parent frees the nested control, which leaves the owner's list
        QVERIFY(watch.isNull());
        QCOMPARE(root->ComponentCount(), 0);
        auto* loose = new TProbe(root); // owned but never placed
        QPointer<TProbe> looseWatch(loose);
        delete root;
        QVERIFY(looseWatch.isNull());
    }

    void classRegistryCreatesByName() {
        ClassRegistry::Register<TProbe>();
        const TControlClass* cls = ClassRegistry::Find(QStringLiteral("TProbe"));
        QVERIFY(cls);
        QVERIFY(cls->InheritsFrom(&TControl::staticMetaObject));
        QVERIFY(!ClassRegistry::Find(QStringLiteral("tprobe")));
        TControl root;
        TControl* made = cls->Create(&root);
        QVERIFY(qobject_cast<TProbe*>(made));
        QCOMPARE(made->Owner(), &root);
    }

    void alignAndAnchorsFollowTheParent() {
        TControl parent;
        parent.SetBounds(0, 0, 200, 100);
        auto* top = new TControl(&parent);
        top->SetParentControl(&parent);
        top->SetBounds(5, 5, 50, 20);
        top->SetAlign(alTop);
        QCOMPARE(top->BoundsRect(), QRect(0, 0, 200, 20));
        auto* client = new TControl(&parent);
        client->SetParentControl(&parent);
        client->SetAlign(alClient);
        QCOMPARE(client->BoundsRect(), QRect(0, 20, 200, 80));
        auto* corner = new TControl(&parent);
        corner->SetParentControl(&parent);
        corner->SetBounds(150, 60, 30, 20);
        corner->SetAnchors(TAnchors(akRight | akBottom));
        auto* stretch = new TControl(&parent);
        stretch->SetParentControl(&parent);
        stretch->SetBounds(10, 40, 100, 10);
        stretch->SetAnchors(TAnchors(akLeft | akRight | akTop));
        parent.SetBounds(0, 0, 300, 150);
        QCOMPARE(top->BoundsRect(), QRect(0, 0, 300, 20));
        QCOMPARE(client->BoundsRect(), QRect(0, 20, 300, 130));
        QCOMPARE(corner->BoundsRect(), QRect(250, 110, 30, 20));
        QCOMPARE(stretch->BoundsRect(), QRect(10, 40, 200, 10));
    }

    // A control skips aligning when none of its children is aligned, so it must keep track of every way an
    // aligned child arrives, leaves or changes its Align; each step below re-aligns at an unchanged size.
    void alignedChildrenAreTrackedThroughMovesAndFreeing() {
        TControl a, b;
        a.SetBounds(0, 0, 200, 100);
        b.SetBounds(0, 0, 300, 150);
        auto* child = new TControl(&a);
        child->SetParentControl(&a);
        child->SetBounds(0, 0, 50, 20);
        child->SetAlign(alTop);
        QCOMPARE(child->BoundsRect(), QRect(0, 0, 200, 20));
        child->SetParentControl(&b);
        QCOMPARE(child->BoundsRect(), QRect(0, 0, 300, 20));
        child->setParent(&a); // the plain Qt way, as the designer reparents
        a.AlignControls();
        QCOMPARE(child->BoundsRect(), QRect(0, 0, 200, 20));
        child->SetAlign(alNone);
        child->SetBounds(6, 30, 50, 20);
        a.AlignControls();
        QCOMPARE(child->BoundsRect(), QRect(6, 30, 50, 20));
        // An aligned child freed, and one aligned after it, leave the count right.
        auto* gone = new TControl(&a);
        gone->SetParentControl(&a);
        gone->SetAlign(alClient);
        QCOMPARE(gone->BoundsRect(), QRect(0, 0, 200, 100));
        delete gone;
        auto* bottom = new TControl(&b);
        bottom->SetParentControl(&b);
        bottom->SetBounds(0, 0, 10, 30);
        bottom->SetAlign(alBottom);
        QCOMPARE(bottom->BoundsRect(), QRect(0, 120, 300, 30));
        child->SetParentControl(&b);
        child->SetAlign(alLeft);
        QCOMPARE(child->BoundsRect(), QRect(0, 0, 50, 120));
    }

    void negativeSizeIsKeptButShownEmpty() {
        TControl c;
        c.SetBounds(1, 2, -6, -4);
        QCOMPARE(c.Width(), -6);
        QCOMPARE(c.height(), 0);
    }
};

QTEST_MAIN(TstCore)
#include "tst_core.moc"

#pragma once
// Drives a property inspector as a user does: shows it, selects rows with the mouse and types into the
// in-place editor. Test classes derive from it.

#include "inspector/ELPropInspInplace.h"
#include "inspector/ELPropInspInspector.h"
#include "tests/TestApplication.h"

#include <QLineEdit>
#include <QObject>
#include <QTest>
#include <memory>

class TInspectorDriver : public QObject {
protected:
    std::unique_ptr<TELPropertyInspector> insp;

    void make(const QList<QObject*>& objects, QSize size) {
        insp = std::make_unique<TELPropertyInspector>();
        insp->resize(size);
        insp->show();
        QVERIFY(QTest::qWaitForWindowExposed(insp.get()));
        insp->SetObjects(objects);
    }

    TELPropertyInspectorItem* row(const QString& caption, TELPropsPageItem* parent = nullptr) {
        return insp->ItemByName(caption, parent);
    }

    // Clicks the name cell of the row, as a user selects it.
    void select(TELPropsPageItem* item) {
        QVERIFY(item && item->Row() >= 0);
        insp->SetTopRow(item->Row());
        const QRect cell = insp->CellRect(0, item->Row());
        QTest::mouseClick(insp->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 10, cell.center().y()));
        QCOMPARE(insp->ActiveItem(), item);
    }

    void typeInto(TELPropsPageItem* item, const QString& text) {
        select(item);
        QLineEdit* editor = insp->InplaceEditor();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else
            QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    // A table of typed values: the property, the text typed into its row, the value the row shows
    // afterwards and the message shown (empty when the value is taken).
    static void addTypedValueColumns() {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("error");
    }
    // One row of that table: the property, the text typed into its row, the value the row shows afterwards
    // and the message shown (none when the value is taken).
    static void addTypedValueRow(const char* name, const QString& prop, const QString& typed,
                                 const QString& shown, const QString& error = QString()) {
        QTest::newRow(name) << prop << typed << shown << error;
    }
    // Types the current table row's text into the row of its property and checks the message and the
    // value shown.
    void checkTypedValue() {
        QFETCH(QString, prop);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, error);
        TELPropertyInspectorItem* item = row(prop);
        QVERIFY(item);
        typeInto(item, typed);
        QCOMPARE(TTestApplication::TakeErrors(), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(item->DisplayValue(), shown);
    }
};

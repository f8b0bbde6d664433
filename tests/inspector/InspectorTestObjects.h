#pragma once
// Plain objects with published properties of every kind, for driving the inspector in tests. Most
// properties are read and written by Qt's reflection straight from their public members, which the checks
// set and read directly.

#include "core/Types.h"

#include <QObject>

// An object held by a class-typed property (not a component).
class TTestSub : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Depth MEMBER Depth)
    Q_PROPERTY(QString Label MEMBER Label)

public:
    using QObject::QObject;
    int Depth = 0;
    QString Label;
};

class TTestA : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(Kvd::TAlign Align MEMBER Align)
    Q_PROPERTY(Kvd::TAnchors Anchors MEMBER Anchors)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_CLASSINFO("type:Caption", "TCaption")
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(quint8 Small MEMBER Small)
    Q_PROPERTY(char Letter MEMBER Letter)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(float Scale MEMBER Scale)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_PROPERTY(int Counter READ Counter)
    Q_PROPERTY(TTestSub* Sub READ Sub)
    Q_PROPERTY(uint Unsigned MEMBER Unsigned)

public:
    explicit TTestA(QObject* parent = nullptr) : QObject(parent), m_sub(new TTestSub(this)) {}
    // The caption counts its writes.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) {
        m_caption = v;
        ++captionWrites;
    }
    int Counter() const { return 7; }
    TTestSub* Sub() const { return m_sub; }

    int Left = 0, Top = 0;
    TAlign Align = alNone;
    TAnchors Anchors = DefaultAnchors();
    QString Hint;
    quint8 Small = 0;
    char Letter = 'x';
    double Ratio = 0.5;
    float Scale = 1.0f;
    qlonglong Big = 0;
    bool Flag = false;
    uint Unsigned = 0;
    int captionWrites = 0;

private:
    QString m_caption;
    TTestSub* m_sub;
};

// Shares Left, Top, Align and Anchors with TTestA; Caption is a plain string here (another type),
// Hint is an integer here, and it has properties of its own.
class TTestB : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int top MEMBER Top)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(int Hint MEMBER Hint)
    Q_PROPERTY(Kvd::TAlign Align MEMBER Align)
    Q_PROPERTY(Kvd::TAnchors Anchors MEMBER Anchors)
    Q_PROPERTY(int Extra MEMBER Extra)

public:
    using QObject::QObject;
    int Left = 0, Top = 0;
    TAlign Align = alNone;
    TAnchors Anchors = DefaultAnchors();
    QString Caption;
    int Hint = 0, Extra = 0;
};

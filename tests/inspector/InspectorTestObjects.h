#pragma once
// Plain objects with published properties of every kind, for driving the inspector in tests.

#include "core/Types.h"

#include <QObject>

// An object held by a class-typed property (not a component).
class TTestSub : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Depth READ Depth WRITE SetDepth)
    Q_PROPERTY(QString Label READ Label WRITE SetLabel)

public:
    using QObject::QObject;
    int Depth() const { return m_depth; }
    void SetDepth(int v) { m_depth = v; }
    QString Label() const { return m_label; }
    void SetLabel(const QString& v) { m_label = v; }

private:
    int m_depth = 0;
    QString m_label;
};

class TTestA : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(Kvd::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(Kvd::TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_CLASSINFO("type:Caption", "TCaption")
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(quint8 Small READ Small WRITE SetSmall)
    Q_PROPERTY(char Letter READ Letter WRITE SetLetter)
    Q_PROPERTY(double Ratio READ Ratio WRITE SetRatio)
    Q_PROPERTY(float Scale READ Scale WRITE SetScale)
    Q_PROPERTY(qlonglong Big READ Big WRITE SetBig)
    Q_PROPERTY(bool Flag READ Flag WRITE SetFlag)
    Q_PROPERTY(int Counter READ Counter)
    Q_PROPERTY(TTestSub* Sub READ Sub)
    Q_PROPERTY(uint Unsigned READ Unsigned WRITE SetUnsigned)

public:
    explicit TTestA(QObject* parent = nullptr) : QObject(parent), m_sub(new TTestSub(this)) {}
    int Left() const { return m_left; }
    void SetLeft(int v) { m_left = v; }
    int Top() const { return m_top; }
    void SetTop(int v) { m_top = v; }
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign v) { m_align = v; }
    TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TAnchors v) { m_anchors = v; }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) {
        m_caption = v;
        ++captionWrites;
    }
    QString Hint() const { return m_hint; }
    void SetHint(const QString& v) { m_hint = v; }
    quint8 Small() const { return m_small; }
    void SetSmall(quint8 v) { m_small = v; }
    char Letter() const { return m_letter; }
    void SetLetter(char v) { m_letter = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    float Scale() const { return m_scale; }
    void SetScale(float v) { m_scale = v; }
    qlonglong Big() const { return m_big; }
    void SetBig(qlonglong v) { m_big = v; }
    bool Flag() const { return m_flag; }
    void SetFlag(bool v) { m_flag = v; }
    int Counter() const { return 7; }
    TTestSub* Sub() const { return m_sub; }
    uint Unsigned() const { return m_unsigned; }
    void SetUnsigned(uint v) { m_unsigned = v; }

    int captionWrites = 0;

private:
    int m_left = 0;
    int m_top = 0;
    TAlign m_align = alNone;
    TAnchors m_anchors = DefaultAnchors();
    QString m_caption;
    QString m_hint;
    quint8 m_small = 0;
    char m_letter = 'x';
    double m_ratio = 0.5;
    float m_scale = 1.0f;
    qlonglong m_big = 0;
    bool m_flag = false;
    TTestSub* m_sub;
    uint m_unsigned = 0;
};

// Shares Left, Top, Align and Anchors with TTestA; Caption is a plain string here (another type),
// Hint is an integer here, and it has properties of its own.
class TTestB : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int top READ Top WRITE SetTop)
    Q_PROPERTY(Kvd::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(Kvd::TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Hint READ Hint WRITE SetHint)
    Q_PROPERTY(int Extra READ Extra WRITE SetExtra)

public:
    using QObject::QObject;
    int Left() const { return m_left; }
    void SetLeft(int v) { m_left = v; }
    int Top() const { return m_top; }
    void SetTop(int v) { m_top = v; }
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign v) { m_align = v; }
    TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TAnchors v) { m_anchors = v; }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    int Hint() const { return m_hint; }
    void SetHint(int v) { m_hint = v; }
    int Extra() const { return m_extra; }
    void SetExtra(int v) { m_extra = v; }

private:
    int m_left = 0;
    int m_top = 0;
    TAlign m_align = alNone;
    TAnchors m_anchors = DefaultAnchors();
    QString m_caption;
    int m_hint = 0;
    int m_extra = 0;
};

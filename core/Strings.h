#pragma once
// TStrings: a list of text lines as a persistent object, for published string-list properties.

#include <QObject>
#include <QStringList>

class TStrings : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    int Count() const { return static_cast<int>(m_lines.size()); }
    QString Strings(int index) const { return m_lines.at(index); }
    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines);
    void Add(const QString& line);
    void Clear();
    // The lines joined, each ending with a line break; setting splits at CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString& text);
    void Assign(const TStrings& source) { SetLines(source.m_lines); }

Q_SIGNALS:
    void Changed();

private:
    QStringList m_lines;
};

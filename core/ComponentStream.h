#pragma once
// The component stream: controls and their stored published properties as bytes, used by the
// designer's clipboard. A stream is a list of component records, each introduced by the signature
// "TPF0", closed by a single zero byte:
//
//   record   := class name, component name, { property name, value }, 0, { child record }, 0
//   name     := length byte, that many Latin-1 characters
//   value    := tag byte, payload (see TValueTag)
//
// Properties equal to their streaming default are not written; references to other components are
// written as names relative to the root control and resolved after the whole list was read. The
// reader accepts arbitrary bytes: every length is checked against what is left, and malformed data
// raises EReadError with a clear message instead of reading past the end.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class TControl;
struct TPropInfo;

namespace ComponentStream {

// Value tags of the typed property values.
enum TValueTag : quint8 {
    vaNil = 1,    // empty reference or empty variant
    vaInt8 = 2,   // 1 byte, signed
    vaInt16 = 3,  // 2 bytes, little-endian, signed
    vaInt32 = 4,  // 4 bytes, little-endian, signed
    vaInt64 = 5,  // 8 bytes, little-endian, signed
    vaDouble = 6, // 8 bytes, IEEE 754, little-endian
    vaIdent = 7,  // name: an enumeration value or a component reference
    vaFalse = 8,  // boolean false
    vaTrue = 9,   // boolean true
    vaSet = 10,   // names of the elements, closed by an empty name
    vaUtf8 = 11,  // 4-byte little-endian length, UTF-8 bytes
};

inline constexpr char Signature[] = "TPF0";

// Stream errors, as shown to the user.
QString InvalidStreamFormat(); // "Invalid stream format"
QString StreamReadError();     // "Stream read error"

class TWriter {
public:
    // References are written relative to root: the name of a component root owns, "Owner.Name" for
    // other owned components, and the root's own name for the root itself.
    explicit TWriter(TControl* root) : m_root(root) {}
    // The signature and the component's record, with its child controls that have an owner.
    void WriteComponent(TControl* component);
    // The zero byte that ends the list.
    void WriteListEnd();
    const QByteArray& Data() const { return m_data; }

private:
    void WriteRecord(TControl* component);
    void WriteProperty(TControl* component, const TPropInfo* prop);
    void WriteName(const QString& name);
    void WriteInt(qint64 value);
    void WriteUtf8(const QString& text);
    QString ReferenceName(const QObject* object) const;

    TControl* m_root;
    QByteArray m_data;
};

class TReader {
public:
    // Components are created with root as owner; top-level records get parent as visual parent.
    TReader(const QByteArray& data, TControl* root, QWidget* parent);

    // The name a read component is given, from its stored name. Without it the stored name is used.
    std::function<QString(TControl* component, const QString& storedName)> OnSetName;
    // The name under which a referenced component is looked up. Without it the stored name is used.
    std::function<QString(const QString& storedName)> OnReferenceName;
    // A top-level component has been read completely (properties and children).
    std::function<void(TControl* component)> OnComponentRead;

    // Reads records up to the end byte and then resolves the references. Raises EReadError (or the
    // error of a property write or a name) on malformed data; the record being read is freed then,
    // the complete ones stay. Returns the top-level components read.
    QList<TControl*> ReadComponents();
    // Records nested deeper than this are refused: the data may come from any program.
    static constexpr int MaxDepth = 64;

private:
    struct Fixup {
        QPointer<TControl> Instance;
        const TPropInfo* Prop;
        QString Name;
    };

    TControl* ReadRecord(QWidget* parent, int depth);
    void ReadProperty(TControl* component);
    void ReadSignature();
    quint8 ReadByte();
    quint8 PeekByte() const;
    QByteArray ReadBytes(qint64 count);
    QString ReadName();
    qint64 ReadIntValue(quint8 tag);
    void ResolveFixups();

    QByteArray m_data;
    qint64 m_pos = 0;
    TControl* m_root;
    QWidget* m_parent;
    QList<Fixup> m_fixups;
};

} // namespace ComponentStream

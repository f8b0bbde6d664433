#pragma once
// Checks a layout for what the simulator would show differently from what the designer meant: elements
// outside the button area or sent to another place, clickable buttons covering each other, captions cut
// off or shortened, buttons the driver can do nothing with or can hardly hit, IDs used twice, names that
// are not names or are used twice. The builder shows the findings after each refresh and `kvdui lint` prints
// them; both take the rules from here.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

enum class TKvdCheckSeverity { Information, Warning, Error };

struct TKvdCheckFinding {
    int ID;       // the element's ID, -1 for the layout as a whole
    QString Rule; // short rule name: "outside", "wraps", "overlap", "caption-cut", "caption-too-long",
                  // "no-input", "small-target", "duplicate-id", "invalid-name", "duplicate-name",
                  // "unreadable"
    TKvdCheckSeverity Severity;
    QString Message; // one line a user understands
};

// Smallest width and height, in simulator units, of a button the driver clicks: 6 units are 12 design
// pixels, about 32 screen pixels when the 200 units span 1080 screen lines. A clickable button below it in
// either direction is reported as "small-target".
constexpr int MinTargetUnits = 6;

// Findings for a whole layout given as layout text (what the builder's refresh writes and what a file
// holds), in document order. values fills placeholders such as {lap} (NAME -> VALUE); a placeholder
// without a value is measured as written. Text that is not well-formed XML gives one "unreadable" error
// for the layout as a whole.
QList<TKvdCheckFinding> CheckLayoutText(const QString& layoutText,
                                        const QHash<QString, QString>& values = {});

// The same for the bytes of a layout file, decoded as the layout reader decodes them (by the XML
// declaration or the byte order mark), so that IDs and names used twice are seen before reading gives
// them new ones. readText, when given, is the text the builder's reader makes of the same bytes (what
// Save would write): places, sizes, styles and captions are then checked as it leaves them, which is
// what the simulator is sent (a width of -60 is sent as 0).
QList<TKvdCheckFinding> CheckLayoutBytes(const QByteArray& bytes, const QHash<QString, QString>& values = {},
                                         const QString& readText = QString());

// "information", "warning", "error".
QString CheckSeverityName(TKvdCheckSeverity severity);

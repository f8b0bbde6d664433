// kvdui gen FILE --lang c|cpp|python|csharp|typescript [--embed] [--prefix NAME] [--namespace NAME] [-o OUT]:
// a header or module that gives a program the IDs of FILE's named elements and the placeholders its texts
// use, as constants of its own language, and with --embed the layout text itself, so that the program needs
// no file at run time.

#include "core/CommandLine.h"
#include "core/Exceptions.h"
#include "core/FileName.h"
#include "core/FileWrite.h"
#include "core/LayoutElements.h"
#include "layout/KvdUILayoutSource.h"
#include "tools/Verbs.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <cstdio>
#include <vector>

namespace {

const char* const UsageText = "usage: kvdui gen FILE --lang c|cpp|python|csharp|typescript [--embed] "
                              "[--prefix NAME] [--namespace NAME] "
                              "[-o OUT]\n";

int Usage(const QString& problem) {
    std::fprintf(stderr, "kvdui gen: %s\n%s", problem.toLocal8Bit().constData(), UsageText);
    return 2;
}

enum class TLanguage { C, Cpp, Python, CSharp, TypeScript };

struct Options {
    QString File;
    TLanguage Language = TLanguage::C;
    bool Embed = false;
    QString Prefix;    // C
    QString Namespace; // C++
    QString Output;
};

// The file's base name as an identifier: pit-stop.kvdui -> pit_stop.
QString Identifier(const QString& fileName) {
    QString name = QFileInfo(fileName).completeBaseName();
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    if (name.isEmpty())
        return QStringLiteral("layout");
    if (name.front().isDigit())
        name.prepend(QLatin1Char('_'));
    return name;
}

// Words C++ keeps for itself, which a generated name may not be.
bool IsCppKeyword(const QString& name) {
    static const QSet<QString> words = {
        "alignas",     "alignof",   "and",        "and_eq",    "asm",      "auto",         "bitand",
        "bitor",       "bool",      "break",      "case",      "catch",    "char",         "char8_t",
        "char16_t",    "char32_t",  "class",      "compl",     "concept",  "const",        "consteval",
        "constexpr",   "constinit", "const_cast", "continue",  "co_await", "co_return",    "co_yield",
        "decltype",    "default",   "delete",     "do",        "double",   "dynamic_cast", "else",
        "enum",        "explicit",  "export",     "extern",    "false",    "float",        "for",
        "friend",      "goto",      "if",         "inline",    "int",      "long",         "mutable",
        "namespace",   "new",       "noexcept",   "not",       "not_eq",   "nullptr",      "operator",
        "or",          "or_eq",     "private",    "protected", "public",   "register",     "reinterpret_cast",
        "requires",    "return",    "short",      "signed",    "sizeof",   "static",       "static_assert",
        "static_cast", "struct",    "switch",     "template",  "this",     "thread_local", "throw",
        "true",        "try",       "typedef",    "typeid",    "typename", "union",        "unsigned",
        "using",       "virtual",   "void",       "volatile",  "wchar_t",  "while",        "xor",
        "xor_eq",      "layout",    "placeholder"};
    return words.contains(name);
}

// A C++ name for an element or placeholder: a keyword (or one of the names the header itself uses) gets
// a trailing "_".
QString CppName(const QString& name) {
    return IsCppKeyword(name) ? name + QLatin1Char('_') : name;
}

// The text as string literals, one per line of the layout, indented and joined by separator (a macro's
// lines end in a backslash); bytes outside printable ASCII are octal escapes of three digits, so that no
// following character can extend them.
QByteArray Literal(const QByteArray& utf8, const char* indent, const char* separator) {
    QByteArray out = indent;
    out += '"';
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8.at(i));
        if (c == '\\' || c == '"' || (c == '?' && i > 0 && utf8.at(i - 1) == '?')) { // "??" starts trigraphs
            out += '\\';
            out += char(c);
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n\"";
            if (i + 1 == utf8.size())
                return out;
            out += QByteArray(separator) + indent + '"';
        } else if (c < 0x20 || c >= 0x7f) {
            out += '\\' + QByteArray::number(c, 8).rightJustified(3, '0');
        } else {
            out += char(c);
        }
    }
    return out + '"';
}

// The placeholders the texts use that are identifiers, each once (they match ignoring case), in the
// order they first appear.
QStringList Placeholders(const std::vector<TLayoutElement>& elements) {
    QStringList names;
    QSet<QString> seen;
    for (const TLayoutElement& e : elements) {
        for (qsizetype open = e.Text.indexOf(QLatin1Char('{')); open >= 0;
             open = e.Text.indexOf(QLatin1Char('{'), open + 1)) {
            const qsizetype close = e.Text.indexOf(QLatin1Char('}'), open + 1);
            if (close < 0)
                break;
            const QString name = e.Text.mid(open + 1, close - open - 1);
            if (IsElementName(name) && !seen.contains(name.toLower())) {
                seen.insert(name.toLower());
                names << name;
            }
        }
    }
    return names;
}

// The layout as UTF-8, whatever its file's byte order mark said.
QByteArray Utf8Text(const QByteArray& bytes) {
    const auto encoding = QStringConverter::encodingForData(bytes);
    if (!encoding || *encoding == QStringConverter::Utf8)
        return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder decode(*encoding, QStringConverter::Flag::Stateless);
    return QString(decode(bytes)).toUtf8();
}

// The first lines of a generated file, as comments of its language.
QByteArray Banner(const char* comment, const Options& o) {
    const QByteArray file = QFileInfo(o.File).fileName().toUtf8();
    return QByteArray(comment) + " Generated by kvdui gen from " + file +
           ": the IDs of its named elements and the\n" + comment +
           " placeholders its texts use. Generate it again when the layout changes; do not edit it.\n";
}

QByteArray CHeader(const Options& o, const std::vector<TLayoutElement>& elements, const QByteArray& text) {
    const QByteArray prefix = (o.Prefix.isEmpty() ? Identifier(o.File).toUpper() : o.Prefix).toUtf8();
    const QByteArray file = QFileInfo(o.File).fileName().toUtf8();
    QByteArray h = "/* Generated by kvdui gen from " + file +
                   ": the IDs of its named elements and the placeholders\n"
                   "   its texts use. Generate it again when the layout changes; do not edit it. */\n"
                   "#ifndef " +
                   prefix + "_KVDUI_H\n#define " + prefix + "_KVDUI_H\n";
    QByteArray ids;
    for (const TLayoutElement& e : elements)
        if (!e.Name.isEmpty())
            ids +=
                "    " + prefix + '_' + e.Name.toUpper().toUtf8() + " = " + QByteArray::number(e.ID) + ",\n";
    if (!ids.isEmpty())
        h += "\n/* Element IDs, as kvdui_event.id gives them. */\nenum {\n" + ids + "};\n";
    const QStringList placeholders = Placeholders(elements);
    if (!placeholders.isEmpty()) {
        h += "\n/* Placeholder names, for kvdui_show and kvdui_set. */\n";
        for (const QString& name : placeholders)
            h += "#define " + prefix + "_PLACEHOLDER_" + name.toUpper().toUtf8() + " \"" + name.toUtf8() +
                 "\"\n";
    }
    if (o.Embed)
        h += "\n/* The layout text: kvdui_layout_from_text(" + prefix + "_LAYOUT, " + prefix +
             "_LAYOUT_LENGTH, &err). */\n#define " + prefix + "_LAYOUT \\\n" +
             Literal(text, "    ", " \\\n") + "\n#define " + prefix + "_LAYOUT_LENGTH (sizeof(" + prefix +
             "_LAYOUT) - 1)\n";
    return h + "\n#endif\n";
}

QByteArray CppHeader(const Options& o, const std::vector<TLayoutElement>& elements, const QByteArray& text) {
    const QByteArray space =
        (o.Namespace.isEmpty() ? Identifier(o.File)
                               : QString(o.Namespace).replace(QLatin1Char('.'), QStringLiteral("::")))
            .toUtf8();
    QByteArray h = Banner("//", o) + "#pragma once\n\n#include <string_view>\n\nnamespace " + space + " {\n";
    QByteArray ids;
    for (const TLayoutElement& e : elements)
        if (!e.Name.isEmpty())
            ids +=
                "inline constexpr int " + CppName(e.Name).toUtf8() + " = " + QByteArray::number(e.ID) + ";\n";
    if (!ids.isEmpty())
        h += "\n// Element IDs, as kvdui::Event::id gives them.\n" + ids;
    const QStringList placeholders = Placeholders(elements);
    if (!placeholders.isEmpty()) {
        h += "\n// Placeholder names, for kvdui::Client::show and set.\nnamespace placeholder {\n";
        for (const QString& name : placeholders)
            h += "inline constexpr std::string_view " + CppName(name).toUtf8() + " = \"" + name.toUtf8() +
                 "\";\n";
        h += "} // namespace placeholder\n";
    }
    if (o.Embed)
        h += "\n// The layout text: kvdui::Layout::from_text(" + space +
             "::layout).\n"
             "inline constexpr std::string_view layout =\n" +
             Literal(text, "    ", "\n") + ";\n";
    return h + "\n} // namespace " + space + "\n";
}

// The text as string literals of languages whose strings hold characters (Python, C#, TypeScript): one
// per line of the layout, joined by separator; quotes, backslashes and control characters escaped as
// \uXXXX, which all three read alike, everything else as it is (the generated file is UTF-8).
QByteArray UnicodeLiteral(const QString& text, const char* indent, const char* separator) {
    QString out = QString::fromLatin1(indent) + QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n\"");
            if (i + 1 == text.size())
                return out.toUtf8();
            out += QString::fromLatin1(separator) + QString::fromLatin1(indent) + QLatin1Char('"');
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.unicode() == 0x2028 ||
                   c.unicode() == 0x2029) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return (out + QLatin1Char('"')).toUtf8();
}

// Words Python or JavaScript keep for themselves; a generated name that is one gets a trailing "_".
bool IsScriptKeyword(const QString& name, bool python) {
    static const QSet<QString> pythonWords = {
        "False",    "None",   "True",  "and",  "as",     "assert",   "async",      "await", "break", "class",
        "continue", "def",    "del",   "elif", "else",   "except",   "finally",    "for",   "from",  "global",
        "if",       "import", "in",    "is",   "lambda", "nonlocal", "not",        "or",    "pass",  "raise",
        "return",   "try",    "while", "with", "yield",  "layout",   "placeholder"};
    static const QSet<QString> scriptWords = {
        "break",      "case",    "catch",     "class",    "const",  "continue",   "debugger",
        "default",    "delete",  "do",        "else",     "enum",   "export",     "extends",
        "false",      "finally", "for",       "function", "if",     "import",     "in",
        "instanceof", "new",     "null",      "return",   "super",  "switch",     "this",
        "throw",      "true",    "try",       "typeof",   "var",    "void",       "while",
        "with",       "let",     "static",    "yield",    "await",  "implements", "interface",
        "package",    "private", "protected", "public",   "layout", "placeholder"};
    return (python ? pythonWords : scriptWords).contains(name);
}

QString ScriptName(const QString& name, bool python) {
    return IsScriptKeyword(name, python) ? name + QLatin1Char('_') : name;
}

// fuel_plus -> FuelPlus, pit-stop -> PitStop; a leading digit gets a "_" before it.
QString PascalCase(const QString& name) {
    QString out;
    bool upper = true;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128)) {
            upper = true;
            continue;
        }
        out += upper ? c.toUpper() : c;
        upper = false;
    }
    if (out.isEmpty())
        return QStringLiteral("Layout");
    if (out.front().isDigit())
        out.prepend(QLatin1Char('_'));
    return out;
}

QByteArray PythonModule(const Options& o, const std::vector<TLayoutElement>& elements, const QString& text) {
    QByteArray m = Banner("#", o);
    m += "\n# Element IDs, as kvdui.Click.id and kvdui.Text.id give them.\n";
    for (const TLayoutElement& e : elements)
        if (!e.Name.isEmpty())
            m += ScriptName(e.Name, true).toUtf8() + " = " + QByteArray::number(e.ID) + "\n";
    const QStringList placeholders = Placeholders(elements);
    if (!placeholders.isEmpty()) {
        m += "\n\nclass placeholder:\n    \"\"\"Placeholder names, for Client.show and Client.set.\"\"\"\n\n";
        for (const QString& name : placeholders)
            m += "    " + ScriptName(name, true).toUtf8() + " = \"" + name.toUtf8() + "\"\n";
    }
    if (o.Embed)
        m += "\n\n# The layout text: kvdui.Layout.from_text(layout).\nlayout = (\n" +
             UnicodeLiteral(text, "    ", "\n") + "\n)\n";
    return m;
}

QByteArray TypeScriptModule(const Options& o, const std::vector<TLayoutElement>& elements,
                            const QString& text) {
    QByteArray m = Banner("//", o);
    m += "\n// Element IDs, as the events give them.\n";
    for (const TLayoutElement& e : elements)
        if (!e.Name.isEmpty())
            m += "export const " + ScriptName(e.Name, false).toUtf8() + " = " + QByteArray::number(e.ID) +
                 ";\n";
    const QStringList placeholders = Placeholders(elements);
    if (!placeholders.isEmpty()) {
        m += "\n// Placeholder names, for show and set.\nexport const placeholder = {\n";
        for (const QString& name : placeholders)
            m += "    " + name.toUtf8() + ": \"" + name.toUtf8() + "\",\n";
        m += "} as const;\n";
    }
    if (o.Embed)
        m += "\n// The layout text: Layout.fromText(layout).\nexport const layout =\n" +
             UnicodeLiteral(text, "    ", " +\n") + ";\n";
    return m;
}

QByteArray CSharpClass(const Options& o, const std::vector<TLayoutElement>& elements, const QString& text) {
    const QString className = PascalCase(QFileInfo(o.File).completeBaseName());
    QByteArray c = Banner("//", o);
    QByteArray indent = "";
    if (!o.Namespace.isEmpty()) {
        c += "namespace " + QString(o.Namespace).replace(QStringLiteral("::"), QStringLiteral(".")).toUtf8() +
             "\n{\n";
        indent = "    ";
    }
    c += indent + "public static class " + className.toUtf8() + "\n" + indent + "{\n";
    c += indent + "    // Element IDs, as the events give them.\n";
    QSet<QString> taken{className, QStringLiteral("Placeholder"), QStringLiteral("Layout")};
    for (const TLayoutElement& e : elements) {
        if (e.Name.isEmpty())
            continue;
        QString name = PascalCase(e.Name);
        while (taken.contains(name))
            name += QLatin1Char('_');
        taken.insert(name);
        c += indent + "    public const int " + name.toUtf8() + " = " + QByteArray::number(e.ID) + ";\n";
    }
    const QStringList placeholders = Placeholders(elements);
    if (!placeholders.isEmpty()) {
        c += "\n" + indent + "    // Placeholder names, for Show and Set.\n" + indent +
             "    public static class Placeholder\n" + indent + "    {\n";
        QSet<QString> used{QStringLiteral("Placeholder")};
        for (const QString& p : placeholders) {
            QString name = PascalCase(p);
            while (used.contains(name))
                name += QLatin1Char('_');
            used.insert(name);
            c += indent + "        public const string " + name.toUtf8() + " = \"" + p.toUtf8() + "\";\n";
        }
        c += indent + "    }\n";
    }
    if (o.Embed)
        c += "\n" + indent + "    // The layout text: Layout.FromText(" + className.toUtf8() + ".Layout).\n" +
             indent + "    public const string Layout =\n" +
             UnicodeLiteral(text, (indent + "        ").constData(), " +\n") + ";\n";
    c += indent + "}\n";
    if (!o.Namespace.isEmpty())
        c += "}\n";
    return c;
}

// A C prefix is one identifier; a namespace may be nested (a::b, or a.b as C# writes it).
bool ValidNames(const QString& text, bool nested) {
    const QStringList parts =
        nested ? QString(text).replace(QLatin1Char('.'), QStringLiteral("::")).split(QStringLiteral("::"))
               : QStringList{text};
    for (const QString& part : parts)
        if (!IsElementName(part) || (nested && IsCppKeyword(part)))
            return false;
    return true;
}

} // namespace

int RunGen(const QStringList& args) {
    Options o;
    QString lang;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args.at(++i);
            return true;
        };
        if (arg == QLatin1String("--embed")) {
            o.Embed = true;
        } else if (arg == QLatin1String("--lang")) {
            if (!value(lang))
                return Usage(QStringLiteral("--lang needs c, cpp, python, csharp or typescript"));
        } else if (arg == QLatin1String("--prefix")) {
            if (!value(o.Prefix) || !ValidNames(o.Prefix, false))
                return Usage(QStringLiteral("--prefix needs a C identifier"));
        } else if (arg == QLatin1String("--namespace")) {
            if (!value(o.Namespace) || !ValidNames(o.Namespace, true))
                return Usage(QStringLiteral("--namespace needs a C++ namespace name"));
        } else if (arg == QLatin1String("-o")) {
            if (!value(o.Output) || o.Output.isEmpty())
                return Usage(QStringLiteral("-o needs a file name"));
        } else if (arg == QLatin1String("--")) {
            if (i + 2 != args.size() || !o.File.isEmpty())
                return Usage(QStringLiteral("give one layout file"));
            o.File = args.at(++i);
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return Usage(QStringLiteral("unknown option %1").arg(arg));
        } else if (o.File.isEmpty()) {
            o.File = arg;
        } else {
            return Usage(QStringLiteral("give one layout file"));
        }
    }
    if (o.File.isEmpty())
        return Usage(QStringLiteral("give the layout file"));
    static const QHash<QString, TLanguage> languages = {
        {QStringLiteral("c"), TLanguage::C},
        {QStringLiteral("cpp"), TLanguage::Cpp},
        {QStringLiteral("python"), TLanguage::Python},
        {QStringLiteral("csharp"), TLanguage::CSharp},
        {QStringLiteral("typescript"), TLanguage::TypeScript}};
    if (!languages.contains(lang))
        return Usage(QStringLiteral("--lang needs c, cpp, python, csharp or typescript"));
    o.Language = languages.value(lang);

    QByteArray bytes;
    try {
        bytes = ReadLayoutFileBytes(TFileName(o.File));
    } catch (const Exception& e) {
        std::fprintf(stderr, "kvdui gen: %s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    std::vector<TLayoutElement> elements;
    QString problem;
    if (!ReadLayoutElements(bytes, elements, problem))
        problem = QStringLiteral("The layout cannot be read: %1").arg(problem);
    else
        problem = ProgramLayoutProblem(elements);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "kvdui gen: %s: %s\n", o.File.toLocal8Bit().constData(),
                     problem.toLocal8Bit().constData());
        return 1;
    }
    const QByteArray text = o.Embed ? Utf8Text(bytes) : QByteArray();
    QByteArray header;
    switch (o.Language) {
    case TLanguage::C:
        header = CHeader(o, elements, text);
        break;
    case TLanguage::Cpp:
        header = CppHeader(o, elements, text);
        break;
    case TLanguage::Python:
        header = PythonModule(o, elements, QString::fromUtf8(text));
        break;
    case TLanguage::CSharp:
        header = CSharpClass(o, elements, QString::fromUtf8(text));
        break;
    case TLanguage::TypeScript:
        header = TypeScriptModule(o, elements, QString::fromUtf8(text));
        break;
    }
    if (o.Output.isEmpty()) {
        WriteStandardOutput(header);
        return FinishStandardOutput(QStringLiteral("kvdui gen"));
    }
    if (const QString reason = WriteWholeFile(o.Output, header); !reason.isEmpty()) {
        std::fprintf(stderr, "kvdui gen: cannot write \"%s\": %s\n", o.Output.toLocal8Bit().constData(),
                     reason.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

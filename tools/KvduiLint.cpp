// kvdui lint FILE [--set NAME=VALUE]... [--strict] [--format text|json]: the findings of the layout checks
// for FILE, one a line or as a JSON array. Exit 1 when one is an error (with --strict also a warning).

#include "core/CommandLine.h"
#include "core/Exceptions.h"
#include "core/FileName.h"
#include "layout/KvdUILayoutChecks.h"
#include "layout/KvdUILayoutSource.h"
#include "tools/KvduiLinkArgs.h"
#include "tools/LayoutLoad.h"
#include "tools/Verbs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace {

int Usage(const QString& problem) {
    std::fprintf(
        stderr,
        "kvdui lint: %s\nusage: kvdui lint FILE [--set NAME=VALUE]... [--strict] [--format text|json]\n",
        problem.toLocal8Bit().constData());
    return 2;
}

// FILE: ID 3: overlap: warning: MESSAGE; a finding on the whole layout names "layout" instead of an ID.
QByteArray TextLines(const QString& file, const QList<TKvdCheckFinding>& findings) {
    QString text;
    for (const TKvdCheckFinding& f : findings) {
        const QString where = f.ID < 0 ? QStringLiteral("layout") : QStringLiteral("ID %1").arg(f.ID);
        text += QStringLiteral("%1: %2: %3: %4: %5\n")
                    .arg(file, where, f.Rule, CheckSeverityName(f.Severity), f.Message);
    }
    return text.toLocal8Bit();
}

QByteArray JsonArray(const QString& file, const QList<TKvdCheckFinding>& findings) {
    QJsonArray array;
    for (const TKvdCheckFinding& f : findings)
        array.append(QJsonObject{{QStringLiteral("file"), file},
                                 {QStringLiteral("id"), f.ID},
                                 {QStringLiteral("rule"), f.Rule},
                                 {QStringLiteral("severity"), CheckSeverityName(f.Severity)},
                                 {QStringLiteral("message"), f.Message}});
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace

int RunLint(const QStringList& args) {
    // --strict and --format are this verb's own; FILE, --set and "--" are parsed as for the other verbs.
    QStringList rest;
    bool strict = false;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--")) {
            rest << args.mid(i);
            break;
        }
        if (arg == QLatin1String("--strict")) {
            strict = true;
        } else if (arg == QLatin1String("--format")) {
            const QString value = i + 1 < args.size() ? args.at(++i) : QString();
            if (value != QLatin1String("text") && value != QLatin1String("json"))
                return Usage(QStringLiteral("--format needs text or json"));
            json = value == QLatin1String("json");
        } else {
            rest << arg;
        }
    }
    KvduiLinkArgs options;
    const QString problem = ParseKvduiLinkArgs(rest, {QStringLiteral("set")}, options);
    if (!problem.isEmpty())
        return Usage(problem);
    QHash<QString, QString> values;
    for (qsizetype i = 0; i + 1 < options.Placeholders.size(); i += 2)
        values.insert(options.Placeholders.at(i), options.Placeholders.at(i + 1));

    const TFileName file(options.File);
    QList<TKvdCheckFinding> findings;
    try {
        // A file that does not read as the builder reads it fails as kvdui check does; the rules then see
        // its IDs and names as written, before the reader gives those used twice new ones, and its
        // numbers as the reader leaves them, which are what the packets carry.
        const QString asRead = LoadLayoutText(file);
        findings = CheckLayoutBytes(ReadLayoutFileBytes(file), values, asRead);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    WriteStandardOutput(json ? JsonArray(file.Text(), findings) : TextLines(file.Text(), findings));
    if (FinishStandardOutput(QStringLiteral("kvdui lint")) != 0)
        return 1;
    const auto fails = [strict](const TKvdCheckFinding& f) {
        return f.Severity == TKvdCheckSeverity::Error || (strict && f.Severity == TKvdCheckSeverity::Warning);
    };
    return std::any_of(findings.begin(), findings.end(), fails) ? 1 : 0;
}

#include "runtime/KvduiLayout.h"

#include "runtime/KvduiFailure.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

// Larger files are refused before they are read, as the builder refuses them.
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

} // namespace

template <typename Source> kvdui_layout* kvdui_layout::Read(const Source& source) {
    std::vector<TLayoutElement> elements;
    QString error;
    if (!ReadLayoutElements(source, elements, error))
        throw TKvduiFailure(KVDUI_ERR_LAYOUT, QStringLiteral("The layout cannot be read: %1").arg(error));
    auto layout = std::make_unique<kvdui_layout>();
    layout->Elements = std::move(elements);
    layout->Index();
    return layout.release();
}

void kvdui_layout::Index() {
    if (const QString problem = ProgramLayoutProblem(Elements); !problem.isEmpty())
        throw TKvduiFailure(KVDUI_ERR_LAYOUT, problem);
    IndexOfID.fill(-1);
    Names.reserve(Elements.size());
    HasPlaceholders.reserve(Elements.size());
    for (int i = 0; i < int(Elements.size()); ++i) {
        const TLayoutElement& e = Elements[size_t(i)];
        IndexOfID[size_t(e.ID)] = i;
        if (!e.Name.isEmpty())
            IndexOfName.insert(e.Name, i);
        Names.push_back(e.Name.toUtf8());
        HasPlaceholders.push_back(e.Text.contains(QLatin1Char('{')));
    }
}

kvdui_layout* kvdui_layout::FromText(QStringView text) {
    return Read(text);
}

kvdui_layout* kvdui_layout::FromBytes(const QByteArray& bytes) {
    return Read(bytes);
}

kvdui_layout* kvdui_layout::Open(const QString& path) {
    const auto cannot = [&path](const QString& reason) {
        return TKvduiFailure(KVDUI_ERR_FILE, QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
    };
    const QFileInfo info(path);
    if (!info.exists())
        throw cannot(QStringLiteral("No such file or directory"));
    // A FIFO or a device would block the reader or never end.
    if (!info.isFile())
        throw cannot(QStringLiteral("It is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannot(file.errorString());
    // At most the limit is read, whatever the size said when the file was looked at.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        throw cannot(QStringLiteral("It is larger than %1 MB").arg(MaxFileBytes >> 20));
    if (file.error() != QFileDevice::NoError)
        throw cannot(file.errorString());
    return FromBytes(bytes);
}

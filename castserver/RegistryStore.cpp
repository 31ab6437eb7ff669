#include "RegistryStore.h"

#include <QFile>
#include <QList>

RegistryStore RegistryStore::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Parse(file.readAll());
}

RegistryStore RegistryStore::Parse(const QByteArray& text) {
    RegistryStore store;
    QString section;
    bool in_section = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            in_section = line.endsWith(']');
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!in_section || equals <= 0) continue;
        store.values_[section][line.left(equals).trimmed().toLower()] =
            line.mid(equals + 1).trimmed();
    }
    return store;
}

std::optional<QString> RegistryStore::Raw(const QString& key, const QString& name) const {
    const auto section = values_.constFind(key.toLower());
    if (section == values_.constEnd()) return std::nullopt;
    const auto value = section->constFind(name.toLower());
    if (value == section->constEnd()) return std::nullopt;
    return *value;
}

std::optional<QString> RegistryStore::String(const QString& key, const QString& name) const {
    std::optional<QString> value = Raw(key, name);
    if (value && value->size() >= 2 && value->startsWith('"') && value->endsWith('"'))
        *value = value->mid(1, value->size() - 2);
    return value;
}

std::optional<quint32> RegistryStore::Number(const QString& key, const QString& name) const {
    const std::optional<QString> value = Raw(key, name);
    if (!value) return std::nullopt;
    bool ok = false;
    qulonglong number = 0;
    if (value->startsWith("dword:", Qt::CaseInsensitive)) {
        const QString digits = value->mid(6).trimmed();
        if (digits.size() > 8) return std::nullopt;
        number = digits.toULongLong(&ok, 16);
    } else {
        number = value->toULongLong(&ok, 10);
    }
    if (!ok || number > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<quint32>(number);
}

std::optional<QByteArray> RegistryStore::Bytes(const QString& key, const QString& name) const {
    const std::optional<QString> value = Raw(key, name);
    if (!value || !value->startsWith("hex:", Qt::CaseInsensitive)) return std::nullopt;
    QByteArray bytes;
    const QString list = value->mid(4).trimmed();
    if (list.isEmpty()) return bytes;
    for (const QString& pair : list.split(',')) {
        const QString digits = pair.trimmed();
        bool ok = false;
        const uint byte = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 2) return std::nullopt;
        bytes.append(static_cast<char>(byte));
    }
    return bytes;
}

#pragma once
// The registry's stand-in: an ini file whose sections are registry key
// paths and whose entries are the key's values, for example
//
//   [HKEY_CURRENT_USER\Software\Splashtop Inc.\Splashtop Remote Server]
//   Port=6783
//   PW=hex:00,0a,ff
//
// Key paths and value names compare case-insensitively, as in the registry.
// Numbers are decimal or "dword:" with up to eight hex digits; byte values
// are "hex:" with comma-separated byte pairs; anything else is a string
// (surrounding double quotes are dropped). "; " and "#" start comments.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

class RegistryStore {
public:
    // A missing or unreadable file gives an empty store.
    static RegistryStore Load(const QString& path);
    static RegistryStore Parse(const QByteArray& text);

    // Empty when the key or the value is missing or the value is not of the
    // asked type.
    std::optional<QString> String(const QString& key, const QString& name) const;
    std::optional<quint32> Number(const QString& key, const QString& name) const;
    std::optional<QByteArray> Bytes(const QString& key, const QString& name) const;

private:
    std::optional<QString> Raw(const QString& key, const QString& name) const;

    QHash<QString, QHash<QString, QString>> values_;  // lower-cased key path, value name
};

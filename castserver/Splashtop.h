#pragma once
// The remote-desktop server the service list advertises: where its settings
// are kept in the key store and where its program lies.
#include <QByteArray>
#include <QString>
#include <optional>

#include "RegistryStore.h"

namespace splashtop {

inline constexpr char kServiceKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SplashtopRemoteService";
inline constexpr char kImagePathValue[] = "ImagePath";
inline constexpr char kSettingsKey[] =
    "HKEY_CURRENT_USER\\Software\\Splashtop Inc.\\Splashtop Remote Server";
inline constexpr char kPortValue[] = "Port";
inline constexpr char kPasswordValue[] = "PW";

inline constexpr char kDefaultDirectory[] = "/opt/splashtop/Splashtop Remote/Server";
inline constexpr char kExecutable[] = "SRServer";

struct Settings {
    std::optional<quint32> port;
    std::optional<QByteArray> password;
};

Settings ReadSettings(const RegistryStore& registry);

// The service's "ImagePath", when it is registered.
std::optional<QString> ReadImagePath(const RegistryStore& registry);

// The folder of the registered program (the image path up to its last "/"),
// or the default folder.
QString Directory(const std::optional<QString>& image_path);

// A first run's key store: both keys with their values commented out, for
// an installer or the user to fill in. False (logged) on failure.
bool WriteRegistryTemplate(const QString& path);

}  // namespace splashtop

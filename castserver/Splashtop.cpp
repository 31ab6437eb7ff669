#include "Splashtop.h"

#include <algorithm>

#include "AtomicFile.h"

namespace splashtop {

Settings ReadSettings(const RegistryStore& registry) {
    return {registry.Number(kSettingsKey, kPortValue),
            registry.Bytes(kSettingsKey, kPasswordValue)};
}

std::optional<QString> ReadImagePath(const RegistryStore& registry) {
    return registry.String(kServiceKey, kImagePathValue);
}

QString Directory(const std::optional<QString>& image_path) {
    if (!image_path) return kDefaultDirectory;
    return image_path->left(std::max<qsizetype>(image_path->lastIndexOf('/'), 0));
}

bool WriteRegistryTemplate(const QString& path) {
    const QByteArray text = QByteArray(
                                "; Values the screen-cast server reads in place of the "
                                "registry.\n; Numbers: decimal or dword:<hex>; bytes: "
                                "hex:<aa>,<bb>,...\n[") +
                            kServiceKey + "]\n; " + kImagePathValue + "=" + kDefaultDirectory +
                            "/" + kExecutable + "\n\n[" + kSettingsKey + "]\n; " + kPortValue +
                            "=6783\n; " + kPasswordValue + "=hex:00,00,00,00\n";
    return WriteFileAtomically(path, text, "key store");
}

}  // namespace splashtop

#pragma once
// The service-list file that the receiver hands to the TV ("GetServiceList"):
// how the TV reaches the remote-desktop server. ASCII, each line ended by
// CR LF:
//   <ServiceList>
//   <Splashtop>PW=<password as lowercase hex>Port=<port></Splashtop>   (only with both)
//   </ServiceList>
#include <QByteArray>
#include <QString>
#include <optional>

namespace servicelist {

QByteArray Text(const std::optional<quint32>& port, const std::optional<QByteArray>& password);

// Replaces the file with `text`; false (logged) when it cannot be written.
bool Write(const QString& path, const QByteArray& text);

}  // namespace servicelist

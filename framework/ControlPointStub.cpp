// Placeholder until the control point lands.
#include "DeviceFilter.h"
#include "UpnpClient.h"
#include "UpnpDeviceListener.h"
#include "UpnpUtility.h"

void UpnpUtility::SetListener(std::shared_ptr<UpnpDeviceListener>,
                              std::shared_ptr<UpnpServiceFactory>) {}
void UpnpUtility::AddFilter(std::shared_ptr<DeviceFilter>) {}
int UpnpUtility::Search(const std::string&) { return 0; }
int UpnpUtility::SendAction(UpnpAction&, const UpnpClient&) { return -911; }
std::vector<std::shared_ptr<UpnpClient>> UpnpUtility::Devices() { return {}; }

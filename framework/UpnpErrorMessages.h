#pragma once
#include <upnp.h>

#include <map>
#include <string>

// The error codes the services answer in SOAP faults, or read in a peer's.
// Each has its text in UpnpErrorMessages.
namespace upnp_error {

inline constexpr int kInvalidArgs = 402;
inline constexpr int kActionFailed = 501;
inline constexpr int kNoSuchObject = 701;
inline constexpr int kInvalidRenderingControlInstance = 702;
inline constexpr int kReadError = 703;
inline constexpr int kFormatNotSupported = 704;
inline constexpr int kTransportLocked = 705;
inline constexpr int kInvalidConnection = 706;
inline constexpr int kInvalidSearchCriteria = 708;
inline constexpr int kInvalidSortCriteria = 709;
inline constexpr int kIllegalMimeType = 714;
inline constexpr int kContentBusy = 715;
inline constexpr int kResourceNotFound = 716;
inline constexpr int kInvalidTransportInstance = 718;
inline constexpr int kDrmError = 719;
inline constexpr int kExpiredContent = 720;
inline constexpr int kDisallowedContent = 721;
inline constexpr int kUnverifiedContent = 722;
inline constexpr int kExhaustedAllowedUse = 723;
inline constexpr int kDeviceAuthenticationFailure = 724;
inline constexpr int kDeviceRevocation = 725;
inline constexpr int kLiveCaptureUnavailable = 800;
inline constexpr int kUnauthenticated = 801;

// libupnp's own codes, named in the table too.
inline constexpr int kInternalError = UPNP_E_INTERNAL_ERROR;
inline constexpr int kInvalidService = UPNP_E_INVALID_SERVICE;
inline constexpr int kInvalidDevice = UPNP_E_INVALID_DEVICE;

inline constexpr int kAllCodes[] = {
    kInvalidArgs, kActionFailed, kNoSuchObject, kInvalidRenderingControlInstance, kReadError,
    kFormatNotSupported, kTransportLocked, kInvalidConnection, kInvalidSearchCriteria,
    kInvalidSortCriteria, kIllegalMimeType, kContentBusy,
    kResourceNotFound, kInvalidTransportInstance, kDrmError, kExpiredContent, kDisallowedContent,
    kUnverifiedContent, kExhaustedAllowedUse, kDeviceAuthenticationFailure, kDeviceRevocation,
    kLiveCaptureUnavailable, kUnauthenticated, kInternalError, kInvalidService, kInvalidDevice,
};

}  // namespace upnp_error

// Every code of upnp_error::kAllCodes and the text sent with it.
const std::map<int, std::string>& UpnpErrorMessages();

// The table's text, or "Invalid parameter." for a code it does not hold.
std::string UpnpErrorText(int code);

#pragma once
// The device and service types the library knows.
inline constexpr char kMediaRendererType[] = "urn:schemas-upnp-org:device:MediaRenderer:1";
inline constexpr char kMediaServerType[] = "urn:schemas-upnp-org:device:MediaServer:1";

inline constexpr char kAVTransportType[] = "urn:schemas-upnp-org:service:AVTransport:1";
inline constexpr char kConnectionManagerType[] = "urn:schemas-upnp-org:service:ConnectionManager:1";
inline constexpr char kRenderingControlType[] = "urn:schemas-upnp-org:service:RenderingControl:1";
inline constexpr char kContentDirectoryType[] = "urn:schemas-upnp-org:service:ContentDirectory:1";
inline constexpr char kTundricRenderingControlExType[] =
    "urn:tundric-com:service:TundricRenderingControlExtension:1";
inline constexpr char kQelvarRenderingControlExType[] =
    "urn:qelvar-com:service:QelvarRenderingControlExtension:1";
inline constexpr char kTundricConnectionManagerExType[] =
    "urn:tundric-com:service:TundricConnectionManagerExtension:1";
inline constexpr char kQelvarConnectionManagerExType[] =
    "urn:qelvar-com:service:QelvarConnectionManagerExtension:1";
inline constexpr char kAuthenticationType[] = "urn:tundric-com:service:Authentication:1";

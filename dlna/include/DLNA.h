/*
 * DLNA.h - the whole public interface of libDLNA.
 *
 * The library turns the host program into a UPnP/DLNA Digital Media
 * Renderer, a Digital Media Server, or both (chosen by the description
 * document given to DLNA_CreateDevice), and lets it find and drive remote
 * renderers and servers (DLNA_StartControlPoint and the DLNA_DMRC_ and
 * DLNA_DMSC_ families).
 *
 * Calling order:
 *   DLNA_Initialize -> DLNA_CreateDevice -> DLNA_SetCallback
 *   -> renderer / server / controller calls -> DLNA_Finalize.
 *
 * Every request that needs a decision of the host becomes an event passed to
 * the host's callback (DLNA_CALLBACK), synchronously, on the library thread
 * that carries the request. Queries (GetMediaInfo and the like) are answered
 * from the state the host last stored with the matching set function; the
 * query event lets the host store fresh state from inside the callback.
 *
 * Memory: everything the library returns on the heap is released with the
 * library's own free functions (named beside each function below), never
 * with the host's allocator. Records the host passes in stay the host's.
 * Event data is valid only during the callback.
 *
 * Threads: every function may be called from any host thread, except that
 * DLNA_Finalize must not be called from inside the callback (it is refused
 * there: the library waits for its own threads, one of which is the
 * caller). A callback must not wait for another thread that itself calls
 * into the library while the callback runs.
 *
 * This header is valid C (C99) and C++.
 */
#ifndef DLNA_H
#define DLNA_H

#include <stdint.h>

#if defined(DLNA_BUILDING_LIBRARY)
#define DLNA_API __attribute__((visibility("default")))
#else
#define DLNA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Result codes. Every function returns one of these unless it says else.   */

typedef enum DLNA_RESULT {
    DLNA_OK = 0,
    /* The UPnP runtime failed to start, or building or registering the
     * device failed. DLNA_DMRC_SetAVTransportURI: the renderer refused the
     * URI (UPnP error 501). */
    DLNA_E_FAILED = -1,
    /* The caller's list is smaller than the number of known devices; the
     * count is set to the number needed. */
    DLNA_E_LIST_TOO_SMALL = 1,
    /* A required pointer is null, a remote device handle is not known, the
     * description file is missing, or the addressed object does not exist. */
    DLNA_E_INVALID_ARGUMENT = 2,
    /* No renderer instance with that InstanceID (only 0 exists). */
    DLNA_E_INVALID_INSTANCE = 4,
    /* Sending a remote action failed, or the remote device answered with an
     * error not listed here. */
    DLNA_E_ACTION_FAILED = 5,
    /* The remote device does not offer the action, or its answer was
     * unusable. */
    DLNA_E_NO_ACTION = 7,
    /* The remote action timed out. */
    DLNA_E_TIMEOUT = 8,
    /* The remote server refused browsing (UPnP error 801) and offers no way
     * to authenticate. */
    DLNA_E_ACCESS_DENIED = 9,
    /* The remote server refused browsing and offers the Authentication
     * service: call DLNA_DMSC_Authenticate, then browse again. */
    DLNA_E_MISSING_AUTHENTICATION = 10,
    /* The challenge or digest exchange with the remote server failed. */
    DLNA_E_AUTHENTICATION_FAILED = 11
} DLNA_RESULT;

/* A short English text for a result code (not exported: defined here). */
static inline const char* DLNA_ResultText(int result) {
    switch (result) {
        case DLNA_OK: return "success";
        case DLNA_E_FAILED: return "failed";
        case DLNA_E_LIST_TOO_SMALL: return "list too small";
        case DLNA_E_INVALID_ARGUMENT: return "invalid argument";
        case DLNA_E_INVALID_INSTANCE: return "invalid instance";
        case DLNA_E_ACTION_FAILED: return "action failed";
        case DLNA_E_NO_ACTION: return "no such action";
        case DLNA_E_TIMEOUT: return "timed out";
        case DLNA_E_ACCESS_DENIED: return "access denied";
        case DLNA_E_MISSING_AUTHENTICATION: return "authentication required";
        case DLNA_E_AUTHENTICATION_FAILED: return "authentication failed";
        default: return "unknown result";
    }
}

/* ------------------------------------------------------------------------ */
/* Events, from the library to the host's callback.                         */

typedef enum DLNA_EVENT {
    DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT = 0,      /* DLNA_URI_EVENT*            */
    DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT = 1, /* DLNA_URI_EVENT*            */
    DLNA_DMR_PLAY_EVENT = 2,                      /* DLNA_PLAY_EVENT*           */
    DLNA_DMR_STOP_EVENT = 3,                      /* InstanceID (the value)     */
    DLNA_DMR_PAUSE_EVENT = 4,                     /* InstanceID                 */
    DLNA_DMR_SEEK_EVENT = 5,                      /* DLNA_SEEK_EVENT*           */
    DLNA_DMR_NEXT_EVENT = 6,                      /* InstanceID                 */
    DLNA_DMR_PREVIOUS_EVENT = 7,                  /* InstanceID                 */
    DLNA_DMR_GET_MEDIAINFO_EVENT = 8,             /* InstanceID; before answer  */
    DLNA_DMR_GET_TRANSPORT_INFO_EVENT = 9,        /* InstanceID; before answer  */
    DLNA_DMR_GET_POSITION_INFO_EVENT = 10,        /* InstanceID; before answer  */
    DLNA_DMR_GET_DEVICE_CAPABILITIES_EVENT = 11,  /* InstanceID; before answer  */
    DLNA_DMR_GET_TRANSPORT_SETTINGS_EVENT = 12,   /* InstanceID; before answer  */
    DLNA_DMR_GET_VOLUME_EVENT = 13,               /* DLNA_CHANNEL_EVENT*        */
    DLNA_DMR_SET_VOLUME_EVENT = 14,               /* DLNA_VOLUME_EVENT*         */
    DLNA_DMR_ZOOM_IN_EVENT = 15,                  /* InstanceID                 */
    DLNA_DMR_ZOOM_OUT_EVENT = 16,                 /* InstanceID                 */
    DLNA_DMR_ROTATE_CLOCKWISE_EVENT = 17,         /* InstanceID                 */
    DLNA_DMR_ROTATE_COUNTERCLOCKWISE_EVENT = 18,  /* InstanceID                 */
    DLNA_DMR_RENDERING_CONTROL_EVENT = 19,        /* InstanceID (never raised)  */
    DLNA_DMR_KEEP_ALIVE_EVENT = 20,               /* int32_t* ConnectionID      */
    DLNA_DMR_GET_PROTOCOL_INFO_EVENT = 21,        /* NULL; before answer        */
    DLNA_DMS_GET_PROTOCOL_INFO_EVENT = 22,        /* NULL; before answer        */
    DLNA_DMS_DISCOVERED_EVENT = 23,               /* DLNA_DEVICE_HANDLE         */
    DLNA_DMS_DISAPPEARED_EVENT = 24,              /* DLNA_DEVICE_HANDLE         */
    DLNA_DMR_DISCOVERED_EVENT = 25,               /* DLNA_DEVICE_HANDLE         */
    DLNA_DMR_DISAPPEARED_EVENT = 26               /* DLNA_DEVICE_HANDLE         */
} DLNA_EVENT;

/*
 * The host's event callback. `data` is described beside each event above;
 * where it is an InstanceID or a handle, the value itself is passed in the
 * pointer. Return 0 when the event was handled (also for events the host
 * ignores). A UPnP error code from 600 to 899 fails the remote request
 * with that code (710 for a Seek the source cannot do, for example);
 * anything else fails it with 501.
 * Discovery events (23 to 26) run on the library's discovery threads; their
 * result is ignored. The disappeared event is raised while the handle is
 * still valid, so DLNA_DMSC_GetDeviceInfo may be called with it inside the
 * callback; after the callback returns the handle is refused.
 */
typedef int (*DLNA_CALLBACK)(DLNA_EVENT event, void* data, void* user_data);

/* A remote device found by the control point. Compare it and pass it back;
 * never dereference it. Valid from its discovered event until its
 * disappeared event has returned. */
typedef void* DLNA_DEVICE_HANDLE;

/* ------------------------------------------------------------------------ */
/* Records shared by several families.                                      */

/* A device's identity. Filled by the GetDeviceInfo functions (each string a
 * new copy; release with DLNA_FreeDeviceInfo). The set functions read only
 * friendly_name to upc; a NULL field keeps the device's value. */
typedef struct DLNA_DEVICE_INFO {
    char* device_type;
    char* friendly_name;
    char* manufacturer;
    char* manufacturer_url;
    char* model_description;
    char* model_name;
    char* model_number;
    char* model_url;
    char* serial_number;
    char* udn;
    char* upc;
    char* location; /* URL of the device's description document */
    char* address;  /* IP address, dotted text */
    uint16_t port;
} DLNA_DEVICE_INFO;

/* One protocolInfo entry, "protocol:network:content_format:additional_info",
 * for example "http-get:*:audio/mpeg:*". */
typedef struct DLNA_PROTOCOL_INFO {
    char* protocol;
    char* network;
    char* content_format;
    char* additional_info;
} DLNA_PROTOCOL_INFO;

/* ------------------------------------------------------------------------ */
/* Renderer state (AVTransport).                                            */

typedef enum DLNA_TRANSPORT_STATE {
    DLNA_NO_MEDIA_PRESENT = 0, /* "NO_MEDIA_PRESENT" */
    DLNA_STOPPED = 1,          /* "STOPPED" */
    DLNA_PLAYING = 2,          /* "PLAYING" */
    DLNA_PAUSED_PLAYBACK = 3,  /* "PAUSED_PLAYBACK" */
    DLNA_TRANSITIONING = 4     /* "TRANSITIONING" */
} DLNA_TRANSPORT_STATE;

typedef enum DLNA_TRANSPORT_STATUS {
    DLNA_STATUS_OK = 0,            /* "OK" */
    DLNA_STATUS_ERROR_OCCURRED = 1 /* "ERROR_OCCURRED" */
} DLNA_TRANSPORT_STATUS;

typedef enum DLNA_PLAY_MODE {
    DLNA_NORMAL = 0,    /* "NORMAL" */
    DLNA_SHUFFLE = 1,   /* "SHUFFLE" */
    DLNA_REPEAT_ALL = 2 /* "REPEAT_ALL" */
} DLNA_PLAY_MODE;

typedef enum DLNA_REC_QUALITY_MODE {
    DLNA_REC_QUALITY_NOT_IMPLEMENTED = -1, /* "NOT_IMPLEMENTED" */
    DLNA_REC_QUALITY_EP = 0,               /* "0:EP" */
    DLNA_REC_QUALITY_LP = 1,               /* "1:LP" */
    DLNA_REC_QUALITY_SP = 2,               /* "2:SP" */
    DLNA_REC_QUALITY_BASIC = 3,            /* "0:BASIC" */
    DLNA_REC_QUALITY_MEDIUM = 4,           /* "1:MEDIUM" */
    DLNA_REC_QUALITY_HIGH = 5              /* "2:HIGH" */
} DLNA_REC_QUALITY_MODE;

typedef enum DLNA_SEEK_UNIT {
    DLNA_TRACK_NR = 0, /* "TRACK_NR" */
    DLNA_REL_TIME = 1  /* "REL_TIME" */
} DLNA_SEEK_UNIT;

/*
 * The five state groups of a renderer instance. Given to the DLNA_DMR_
 * setters, they stay the caller's (the library copies the strings; a NULL
 * string is stored as empty). Filled by the DLNA_DMRC_ getters, their
 * strings are new copies released with the matching DLNA_DMRC_Free...
 * function, which frees only the strings, never the record.
 * Times are "H:MM:SS" texts.
 */
typedef struct DLNA_MEDIA_INFO {
    uint32_t nr_tracks;
    char* media_duration;
    char* current_uri;
    char* current_uri_metadata;
    char* next_uri;
    char* next_uri_metadata;
    char* play_medium;
    char* record_medium;
    char* write_status;
} DLNA_MEDIA_INFO;

typedef struct DLNA_TRANSPORT_INFO {
    DLNA_TRANSPORT_STATE current_transport_state;
    DLNA_TRANSPORT_STATUS current_transport_status;
    char* current_speed;
} DLNA_TRANSPORT_INFO;

typedef struct DLNA_POSITION_INFO {
    int32_t track;
    char* track_duration;
    char* track_metadata;
    char* track_uri;
    char* rel_time;
    char* abs_time;
    int32_t rel_count;
    int32_t abs_count;
} DLNA_POSITION_INFO;

typedef struct DLNA_DEVICE_CAPABILITIES {
    char* play_media;
    char* rec_media;
    char* rec_quality_modes;
} DLNA_DEVICE_CAPABILITIES;

/* Holds no string; has no release function. */
typedef struct DLNA_TRANSPORT_SETTINGS {
    DLNA_PLAY_MODE play_mode;
    DLNA_REC_QUALITY_MODE rec_quality_mode;
} DLNA_TRANSPORT_SETTINGS;

/* Volume of one channel; channel 0 is "Master", the only one. */
typedef struct DLNA_VOLUME {
    int32_t channel;
    uint16_t volume;
} DLNA_VOLUME;

/* ------------------------------------------------------------------------ */
/* Shared content (server) and browse results (controller).                 */

/* What the host tells about a file it shares. */
typedef struct DLNA_SHARE_OBJECT {
    const char* mime_type; /* required; "video/...", "audio/..." or "image/..." */
    uint64_t size;         /* bytes */
    int32_t duration;      /* milliseconds; audio and video only, 0 if unknown */
} DLNA_SHARE_OBJECT;

typedef struct DLNA_CONTENT_RESOURCE {
    char* uri;
    DLNA_PROTOCOL_INFO protocol_info;
    uint64_t size;
} DLNA_CONTENT_RESOURCE;

#define DLNA_CONTENT_CONTAINER 0
#define DLNA_CONTENT_ITEM 1

/* One container or item. `didl` is a complete DIDL-Lite document describing
 * only this object. Arrays of these are released with
 * DLNA_DMSC_FreeContentElement. */
typedef struct DLNA_CONTENT_ELEMENT {
    int32_t type; /* DLNA_CONTENT_CONTAINER or DLNA_CONTENT_ITEM */
    union {
        struct {
            char* id;
            char* parent_id;
            char* title;
            char* didl;
        } container;
        struct {
            char* id;
            char* parent_id;
            char* title;
            DLNA_CONTENT_RESOURCE* res;
            int32_t res_count;
            char* didl;
        } item;
    } element;
} DLNA_CONTENT_ELEMENT;

/* ------------------------------------------------------------------------ */
/* Renderer event records (valid only during the callback).                 */

typedef struct DLNA_URI_EVENT {
    uint32_t id;                    /* InstanceID */
    const char* uri;                /* CurrentURI or NextURI */
    DLNA_CONTENT_ELEMENT* metadata; /* the metadata's item, or NULL */
} DLNA_URI_EVENT;

typedef struct DLNA_PLAY_EVENT {
    uint32_t id;
    const char* speed;
} DLNA_PLAY_EVENT;

/* REL_TIME targets arrive normalised as "HH:MM:SS" (with ".ffffff" when
 * there is a fraction). */
typedef struct DLNA_SEEK_EVENT {
    uint32_t id;
    DLNA_SEEK_UNIT unit;
    const char* target;
} DLNA_SEEK_EVENT;

typedef struct DLNA_VOLUME_EVENT {
    uint32_t id;
    int32_t channel; /* 0 for "Master", -1 for any other channel text */
    uint16_t volume;
} DLNA_VOLUME_EVENT;

typedef struct DLNA_CHANNEL_EVENT {
    uint32_t id;
    int32_t channel;
} DLNA_CHANNEL_EVENT;

/* ------------------------------------------------------------------------ */
/* General family.                                                          */

/* Starts the UPnP runtime on `host_ip` (NULL or "" lets the library choose
 * the first usable interface) and `port` (0 lets it choose). -1 on failure;
 * may be retried. */
DLNA_API int DLNA_Initialize(const char* host_ip, uint16_t port);

/* Stops everything and forgets all state except the share tree. Safe to call
 * without DLNA_Initialize and more than once. Refused (does nothing) when
 * called from inside the callback. Waits for calls in flight on other
 * threads; calls made meanwhile wait for it, so a callback must not wait
 * for another thread's DLNA_ call while Finalize may be pending. */
DLNA_API void DLNA_Finalize(void);

/* Creates the local devices of the description document at `xml_path`
 * (a MediaRenderer device makes a renderer, a MediaServer device a server,
 * both make both). The service descriptions must lie beside it. May be
 * called again to replace the devices. 2 when the file is missing, -1 when
 * building or registering fails. */
DLNA_API int DLNA_CreateDevice(const char* xml_path);

/* Stores the callback (NULL switches events off) and `user_data`, handed
 * back as the callback's third argument, then replays the discovered event
 * of every remote device known so far. Always 0. */
DLNA_API int DLNA_SetCallback(DLNA_CALLBACK callback, void* user_data);

/* Address and port the library serves on. The text belongs to the library;
 * do not free it or keep it past DLNA_Finalize. NULL before
 * DLNA_Initialize. */
DLNA_API const char* DLNA_GetIP(void);
DLNA_API uint16_t DLNA_GetListenPort(void);

/* "12.12.35". Static text, never freed. */
DLNA_API const char* DLNA_GetVersion(void);

/* Starts finding remote devices: bit 1 renderers, bit 2 servers. Each call
 * narrows the devices admitted (a device must pass every call's filter), so
 * ask for both in one call with 3. Found devices arrive as events 23 and 25.
 * Always 0. */
DLNA_API int DLNA_StartControlPoint(int flags);

/* Does nothing; kept for older hosts. Searching is DLNA_StartControlPoint's. */
DLNA_API int DLNA_AsyncSearchDevice(void);

/* Frees the strings of a record filled by a GetDeviceInfo function and sets
 * them to NULL; the record stays the caller's. NULL is accepted. */
DLNA_API int DLNA_FreeDeviceInfo(DLNA_DEVICE_INFO* info);

/* Frees an array returned by DLNA_DMRC_GetProtocolInfo or
 * DLNA_DMSC_GetProtocolInfo, with its count. NULL is accepted. */
DLNA_API int DLNA_FreeProtocolInfo(DLNA_PROTOCOL_INFO* infos, unsigned count);

/* Replace the protocol lists the local ConnectionManager reports. The
 * renderer's entries become its Sink list (Source empty), the server's its
 * Source list (Sink empty). Incomplete or repeated entries are left out.
 * 2, and nothing changes, when any entry has a NULL string. */
DLNA_API int DLNA_DMR_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count);
DLNA_API int DLNA_DMS_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count);

/* ------------------------------------------------------------------------ */
/* Renderer family (DMR): the local renderer's state. `id` is the           */
/* InstanceID; only instance 0 exists.                                      */

/* Fills `info` with new strings (DLNA_FreeDeviceInfo). 2 without a renderer
 * device or with NULL. */
DLNA_API int DLNA_DMR_GetDeviceInfo(DLNA_DEVICE_INFO* info);
/* Rewrites the served description with the non-NULL fields friendly_name to
 * upc. 2 without a renderer device or with NULL. */
DLNA_API int DLNA_DMR_SetDeviceInfo(const DLNA_DEVICE_INFO* info);
/* 2 for NULL, 4 for an instance other than 0. */
DLNA_API int DLNA_DMR_SetVolume(uint32_t id, const DLNA_VOLUME* volume);
/* 2 for NULL (record or any of its strings) or an unknown instance. */
DLNA_API int DLNA_DMR_SetDeviceCapabilities(uint32_t id, const DLNA_DEVICE_CAPABILITIES* caps);
/* These four return 2 for a NULL record (and DLNA_DMR_SetPositionInfo also
 * for a NULL track_uri); for an unknown instance they log and return 0
 * without storing anything. */
DLNA_API int DLNA_DMR_SetMediaInfo(uint32_t id, const DLNA_MEDIA_INFO* info);
DLNA_API int DLNA_DMR_SetTransportInfo(uint32_t id, const DLNA_TRANSPORT_INFO* info);
DLNA_API int DLNA_DMR_SetPositionInfo(uint32_t id, const DLNA_POSITION_INFO* info);
DLNA_API int DLNA_DMR_SetTransportSettings(uint32_t id, const DLNA_TRANSPORT_SETTINGS* settings);

/* ------------------------------------------------------------------------ */
/* Server family (DMS): the local server and its share tree.                */

/* As the renderer's; 2 without a server device or with NULL. */
DLNA_API int DLNA_DMS_GetDeviceInfo(DLNA_DEVICE_INFO* info);
DLNA_API int DLNA_DMS_SetDeviceInfo(const DLNA_DEVICE_INFO* info);
/* Shares one regular file. Needs no server device; the share tree outlives
 * DLNA_Finalize. 2 for NULL or a path that is not a regular file, -501 for a
 * MIME type that is not video, audio or image. */
DLNA_API int DLNA_DMS_AddShareObject(const char* path, const DLNA_SHARE_OBJECT* object);
/* -501 when no item shares that file. */
DLNA_API int DLNA_DMS_RemoveShareObject(const char* path);
/* The item that shares `path`, as a new one-element array (count 1; release
 * with DLNA_DMSC_FreeContentElement). 2, NULL and count 0 when none does. */
DLNA_API int DLNA_DMS_Browse(const char* path, DLNA_CONTENT_ELEMENT** elements, int32_t* count);
/* Sets the password that guards browsing (NULL or "" switches it off) and
 * forgets every authenticated client. Does nothing before a successful
 * DLNA_CreateDevice; set it again after each one. Always 0. */
DLNA_API int DLNA_DMS_SetPassword(const char* password);

/* ------------------------------------------------------------------------ */
/* Server controller family (DMSC): remote media servers.                   */

/* Writes the handle of every known remote device (renderers and servers, in
 * discovery order) into `list` and sets *count to their number, when the
 * capacity *count allows. Otherwise answers 1 and sets *count to the number
 * needed. 2 for a NULL list. */
DLNA_API int DLNA_DMSC_GetDMSControllerList(DLNA_DEVICE_HANDLE* list, uint32_t* count);
/* Fills `info` from the remote device's description (DLNA_FreeDeviceInfo).
 * The same function as DLNA_DMRC_GetDeviceInfo. */
DLNA_API int DLNA_DMSC_GetDeviceInfo(DLNA_DEVICE_HANDLE device, DLNA_DEVICE_INFO* info);
/* The server's Source list as a new array (DLNA_FreeProtocolInfo). */
DLNA_API int DLNA_DMSC_GetProtocolInfo(DLNA_DEVICE_HANDLE device, DLNA_PROTOCOL_INFO** infos,
                                       int32_t* count);
/* Browses a remote server. object_id NULL means "0"; browse_mode non-zero
 * lists the direct children, zero the object itself; filter NULL means "*";
 * requested_count 0 means all; sort_criteria NULL means "". On success
 * *elements is a new array (containers first, then items; NULL when empty)
 * released with DLNA_DMSC_FreeContentElement. 8 on time-out, 10 when the
 * server wants DLNA_DMSC_Authenticate first, 9 when it refuses outright. */
DLNA_API int DLNA_DMSC_Browse(DLNA_DEVICE_HANDLE device, const char* object_id, int browse_mode,
                              const char* filter, uint32_t starting_index,
                              uint32_t requested_count, const char* sort_criteria,
                              DLNA_CONTENT_ELEMENT** elements, int32_t* count);
/* Frees an array of content elements with its count. NULL is accepted. */
DLNA_API int DLNA_DMSC_FreeContentElement(DLNA_CONTENT_ELEMENT* elements, int32_t count);
/* Proves knowledge of the server's password (challenge and HMAC-MD5
 * response). 0, or 7 when the server has no GetChallenge action, or 11 when
 * the exchange fails (wrong password included). */
DLNA_API int DLNA_DMSC_Authenticate(DLNA_DEVICE_HANDLE device, const char* password);

/* ------------------------------------------------------------------------ */
/* Renderer controller family (DMRC): remote renderers. Each call blocks    */
/* until the renderer answers. `id` is the remote InstanceID.               */

DLNA_API int DLNA_DMRC_GetDeviceInfo(DLNA_DEVICE_HANDLE device, DLNA_DEVICE_INFO* info);
/* The renderer's Sink list as a new array (DLNA_FreeProtocolInfo). */
DLNA_API int DLNA_DMRC_GetProtocolInfo(DLNA_DEVICE_HANDLE device, DLNA_PROTOCOL_INFO** infos,
                                       int32_t* count);
/* The getters clear the record's strings (without freeing), then fill it;
 * release with the matching free function. 2 when an answer does not
 * convert. */
DLNA_API int DLNA_DMRC_GetDeviceCapabilities(DLNA_DEVICE_HANDLE device, uint32_t id,
                                             DLNA_DEVICE_CAPABILITIES* caps);
DLNA_API int DLNA_DMRC_FreeDeviceCapabilities(DLNA_DEVICE_CAPABILITIES* caps);
DLNA_API int DLNA_DMRC_GetMediaInfo(DLNA_DEVICE_HANDLE device, uint32_t id,
                                    DLNA_MEDIA_INFO* info);
DLNA_API int DLNA_DMRC_FreeMediaInfo(DLNA_MEDIA_INFO* info);
DLNA_API int DLNA_DMRC_GetTransportInfo(DLNA_DEVICE_HANDLE device, uint32_t id,
                                        DLNA_TRANSPORT_INFO* info);
DLNA_API int DLNA_DMRC_FreeTransportInfo(DLNA_TRANSPORT_INFO* info);
DLNA_API int DLNA_DMRC_GetPositionInfo(DLNA_DEVICE_HANDLE device, uint32_t id,
                                       DLNA_POSITION_INFO* info);
DLNA_API int DLNA_DMRC_FreePositionInfo(DLNA_POSITION_INFO* info);
DLNA_API int DLNA_DMRC_GetTransportSettings(DLNA_DEVICE_HANDLE device, uint32_t id,
                                            DLNA_TRANSPORT_SETTINGS* settings);
/* metadata NULL sends an empty CurrentURIMetaData. -1 when the renderer
 * refuses the URI. */
DLNA_API int DLNA_DMRC_SetAVTransportURI(DLNA_DEVICE_HANDLE device, uint32_t id, const char* uri,
                                         const char* metadata);
/* speed is required, normally "1". */
DLNA_API int DLNA_DMRC_Play(DLNA_DEVICE_HANDLE device, uint32_t id, const char* speed);
DLNA_API int DLNA_DMRC_Pause(DLNA_DEVICE_HANDLE device, uint32_t id);
DLNA_API int DLNA_DMRC_Stop(DLNA_DEVICE_HANDLE device, uint32_t id);
/* REL_TIME targets are "H:MM:SS"; TRACK_NR targets a track number. */
DLNA_API int DLNA_DMRC_Seek(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_SEEK_UNIT unit,
                            const char* target);
DLNA_API int DLNA_DMRC_Previous(DLNA_DEVICE_HANDLE device, uint32_t id);
DLNA_API int DLNA_DMRC_Next(DLNA_DEVICE_HANDLE device, uint32_t id);
/* Volume calls always address instance 0 and need volume->channel 0. */
DLNA_API int DLNA_DMRC_GetVolume(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_VOLUME* volume);
DLNA_API int DLNA_DMRC_SetVolume(DLNA_DEVICE_HANDLE device, uint32_t id,
                                 const DLNA_VOLUME* volume);
DLNA_API int DLNA_DMRC_ZoomIn(DLNA_DEVICE_HANDLE device, uint32_t id);
DLNA_API int DLNA_DMRC_ZoomOut(DLNA_DEVICE_HANDLE device, uint32_t id);
DLNA_API int DLNA_DMRC_RotateClockwise(DLNA_DEVICE_HANDLE device, uint32_t id);
DLNA_API int DLNA_DMRC_RotateCounterClockwise(DLNA_DEVICE_HANDLE device, uint32_t id);

#ifdef __cplusplus
}
#endif

#endif /* DLNA_H */

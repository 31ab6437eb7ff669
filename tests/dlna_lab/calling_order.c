/*
 * A host in plain C, built against the installed header and library only:
 * the calling order a host follows, discovery of real peers, the share tree.
 *
 * usage: calling_order DESCRIPTION SHARED_FILE SECONDS
 * Prints one line per event and check; exits 0 when a renderer and a server
 * were both discovered and the shared file reads back.
 */
#define _DEFAULT_SOURCE
#include <DLNA.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

struct found {
    int renderers;
    int servers;
};

static void print_device(const char* kind, DLNA_DEVICE_HANDLE device) {
    DLNA_DEVICE_INFO info;
    memset(&info, 0, sizeof info);
    if (DLNA_DMSC_GetDeviceInfo(device, &info) == DLNA_OK) {
        printf("%s: %s %s %s\n", kind, info.friendly_name, info.udn, info.location);
        DLNA_FreeDeviceInfo(&info);
    }
}

static int on_event(DLNA_EVENT event, void* data, void* user_data) {
    struct found* found = (struct found*)user_data;
    switch (event) {
        case DLNA_DMR_DISCOVERED_EVENT:
            found->renderers++;
            print_device("renderer", data);
            break;
        case DLNA_DMS_DISCOVERED_EVENT:
            found->servers++;
            print_device("server", data);
            break;
        default:
            break;
    }
    fflush(stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s DESCRIPTION SHARED_FILE SECONDS\n", argv[0]);
        return 2;
    }
    const char* description = argv[1];
    const char* shared = argv[2];
    int seconds = atoi(argv[3]);
    struct found found = {0, 0};
    int ok = 1;

    if (DLNA_Initialize(NULL, 0) != DLNA_OK) return 3;
    printf("version %s at %s:%u\n", DLNA_GetVersion(), DLNA_GetIP(), DLNA_GetListenPort());
    if (DLNA_CreateDevice(description) != DLNA_OK) return 4;
    DLNA_SetCallback(on_event, &found);
    DLNA_StartControlPoint(3);

    struct stat st;
    if (stat(shared, &st) != 0) return 5;
    DLNA_SHARE_OBJECT object = {"audio/mpeg", (uint64_t)st.st_size, 0};
    if (DLNA_DMS_AddShareObject(shared, &object) != DLNA_OK) ok = 0;
    DLNA_CONTENT_ELEMENT* elements = NULL;
    int32_t count = 0;
    if (DLNA_DMS_Browse(shared, &elements, &count) != DLNA_OK || count != 1 ||
        elements[0].type != DLNA_CONTENT_ITEM || elements[0].element.item.res_count != 1 ||
        elements[0].element.item.res[0].size != (uint64_t)st.st_size) {
        ok = 0;
    } else {
        printf("shared: %s %s %s\n", elements[0].element.item.id, elements[0].element.item.title,
               elements[0].element.item.res[0].uri);
    }
    DLNA_DMSC_FreeContentElement(elements, count);

    for (int waited = 0; waited < seconds * 10 && !(found.renderers && found.servers); ++waited)
        usleep(100000);

    DLNA_DEVICE_HANDLE devices[16];
    uint32_t known = 16;
    if (DLNA_DMSC_GetDMSControllerList(devices, &known) == DLNA_OK)
        printf("known devices: %u\n", known);

    DLNA_Finalize();
    printf("renderers %d servers %d share %s\n", found.renderers, found.servers,
           ok ? "ok" : "failed");
    return found.renderers > 0 && found.servers > 0 && ok ? 0 : 1;
}

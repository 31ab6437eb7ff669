/* The GUPnP side of the Browse benchmark: a GUPnP control point on
 * INTERFACE finds the ContentDirectory of the device UDN and times CALLS
 * BrowseDirectChildren requests of COUNT children of CONTAINER. The SOAP
 * answer is read (Result, NumberReturned); the DIDL-Lite is not parsed.
 *   bench_gupnp_browse INTERFACE UDN CONTAINER CALLS COUNT
 * Prints "p50_ms X p99_ms Y returned N"; exit status 1 on any failure. */
#include <libgupnp/gupnp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef struct {
    const char* udn;
    GUPnPServiceProxy* proxy;
    GMainLoop* loop;
} Finder;

static void OnProxy(GUPnPControlPoint* cp, GUPnPServiceProxy* proxy, gpointer data) {
    (void)cp;
    Finder* finder = data;
    if (finder->proxy || strcmp(gupnp_service_info_get_udn(GUPNP_SERVICE_INFO(proxy)), finder->udn))
        return;
    finder->proxy = g_object_ref(proxy);
    g_main_loop_quit(finder->loop);
}

static gboolean GiveUp(gpointer data) {
    g_main_loop_quit(((Finder*)data)->loop);
    return G_SOURCE_REMOVE;
}

static double Now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static int Compare(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* One Browse; the number of children returned, or -1. */
static int Browse(GUPnPServiceProxy* proxy, const char* container, guint count) {
    GUPnPServiceProxyAction* action = gupnp_service_proxy_action_new(
        "Browse", "ObjectID", G_TYPE_STRING, container, "BrowseFlag", G_TYPE_STRING,
        "BrowseDirectChildren", "Filter", G_TYPE_STRING, "*", "StartingIndex", G_TYPE_UINT, 0u,
        "RequestedCount", G_TYPE_UINT, count, "SortCriteria", G_TYPE_STRING, "", NULL);
    GError* error = NULL;
    int returned = -1;
    if (gupnp_service_proxy_call_action(proxy, action, NULL, &error)) {
        char* result = NULL;
        guint number = 0;
        if (gupnp_service_proxy_action_get_result(action, &error, "Result", G_TYPE_STRING, &result,
                                                  "NumberReturned", G_TYPE_UINT, &number, NULL))
            returned = result ? (int)number : -1;
        g_free(result);
    }
    if (error) {
        fprintf(stderr, "Browse failed: %s\n", error->message);
        g_error_free(error);
    }
    gupnp_service_proxy_action_unref(action);
    return returned;
}

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: %s INTERFACE UDN CONTAINER CALLS COUNT\n", argv[0]);
        return 2;
    }
    const int calls = atoi(argv[4]);
    const guint count = (guint)atoi(argv[5]);
    if (calls <= 0) return 2;

    GError* error = NULL;
    GUPnPContext* context = gupnp_context_new_full(argv[1], NULL, 0, GSSDP_UDA_VERSION_1_0, &error);
    if (!context) {
        fprintf(stderr, "no context on %s: %s\n", argv[1], error->message);
        return 1;
    }
    GUPnPControlPoint* cp =
        gupnp_control_point_new(context, "urn:schemas-upnp-org:service:ContentDirectory:1");
    Finder finder = {argv[2], NULL, g_main_loop_new(NULL, FALSE)};
    g_signal_connect(cp, "service-proxy-available", G_CALLBACK(OnProxy), &finder);
    gssdp_resource_browser_set_active(GSSDP_RESOURCE_BROWSER(cp), TRUE);
    g_timeout_add_seconds(20, GiveUp, &finder);
    g_main_loop_run(finder.loop);
    if (!finder.proxy) {
        fprintf(stderr, "%s not found\n", argv[2]);
        return 1;
    }

    for (int i = 0; i < 10; ++i) Browse(finder.proxy, argv[3], count);  // warm-up
    double* samples = calloc((size_t)calls, sizeof *samples);
    int returned = 0;
    for (int i = 0; i < calls; ++i) {
        const double start = Now();
        const int n = Browse(finder.proxy, argv[3], count);
        samples[i] = Now() - start;
        if (n < 0) return 1;
        returned = n;
    }
    qsort(samples, (size_t)calls, sizeof *samples, Compare);
    printf("p50_ms %.3f p99_ms %.3f returned %d\n", samples[(int)(0.50 * (calls - 1) + 0.5)],
           samples[(int)(0.99 * (calls - 1) + 0.5)], returned);
    free(samples);
    g_object_unref(finder.proxy);
    g_object_unref(cp);
    g_object_unref(context);
    g_main_loop_unref(finder.loop);
    return 0;
}

/* The conformance session in C; session.cpp and session.py do the same in their languages, and
 * conformance.sh checks that all send the same bytes and print the same lines.
 *
 *   session LAYOUT PORT BADFILE
 *
 * Prints one line per step: "show N", "set N", the click and the typed text as they come, "hide N", then
 * "disconnected" when the stand-in closes the connection and "closed CODE" for the call after it; then the
 * bad-input rows "unknown-name CODE", "odd-values CODE", "bad-file CODE" and "no-simulator CODE". */
#include <kvdui/kvdui.h>

#include <stdio.h>
#include <stdlib.h>

static void event_line(const kvdui_event* e) {
    if (e->kind == KVDUI_EVENT_CLICK)
        printf("click %d %s %d\n", e->id, e->name, e->flags);
    else if (e->kind == KVDUI_EVENT_TEXT)
        printf("text %d %s %s\n", e->id, e->name, e->text);
    else
        printf("disconnected\n");
    fflush(stdout);
}

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    kvdui_error err;
    kvdui_layout* board = kvdui_layout_open(argv[1], &err);
    kvdui_options options = {0};
    options.port = atoi(argv[2]);
    options.program_name = "conformance";
    kvdui_client* sim = board ? kvdui_connect(&options, &err) : NULL;
    if (!sim) {
        fprintf(stderr, "%s\n", err.message);
        return 1;
    }
    const char* values[] = {"lap", "12", "laps", "57", NULL};
    printf("show %d\n", kvdui_show(sim, board, values, 0, &err));
    printf("set %d\n", kvdui_set(sim, board, "lap", "13", &err));
    fflush(stdout);
    kvdui_event event;
    for (int i = 0; i < 2; ++i)
        if (kvdui_wait_event(sim, &event, 10000, &err) == 1)
            event_line(&event);
    printf("hide %d\n", kvdui_hide(sim, board, &err));
    fflush(stdout);
    if (kvdui_wait_event(sim, &event, 10000, &err) == 1)
        event_line(&event);
    printf("closed %d\n", -kvdui_show(sim, board, values, 0, &err));
    kvdui_close(sim);

    /* The bad-input rows, on a second connection. */
    sim = kvdui_connect(&options, &err);
    if (!sim)
        return 1;
    printf("unknown-name %d\n", kvdui_layout_id(board, "fuel") < 0 ? KVDUI_ERR_NAME : 0);
    const char* odd[] = {"lap", NULL};
    printf("odd-values %d\n", -kvdui_show(sim, board, odd, 0, &err));
    kvdui_close(sim);
    kvdui_layout_free(board);
    kvdui_layout* bad = kvdui_layout_open(argv[3], &err);
    printf("bad-file %d\n", bad ? 0 : err.code);
    kvdui_layout_free(bad);
    options.port = 1;
    options.timeout_ms = 2000;
    kvdui_client* none = kvdui_connect(&options, &err);
    printf("no-simulator %d\n", none ? 0 : err.code);
    kvdui_close(none);
    return 0;
}

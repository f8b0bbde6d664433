/* A pit-stop board from C: shows the pit-stop layout, fills the lap values, counts clicks on the fuel
 * buttons, echoes what the driver types, moves the lap on each second and hides the board on exit.
 *
 *   pit_stop LAYOUT [PORT [SECONDS]]
 *
 * LAYOUT "-" shows the layout built into the program by kvdui_add_layout(... EMBED ...).
 * Ends after SECONDS (default 10), or when the simulator closes the connection. */
#include "pit-stop.kvdui.h"

#include <kvdui/kvdui.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static int fail(const char* what, const kvdui_error* err) {
    fprintf(stderr, "pit_stop: %s: %s\n", what, err->message);
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: pit_stop LAYOUT [PORT [SECONDS]]\n");
        return 2;
    }
    kvdui_error err;
    kvdui_layout* board = strcmp(argv[1], "-") == 0
                              ? kvdui_layout_from_text(PIT_STOP_LAYOUT, PIT_STOP_LAYOUT_LENGTH, &err)
                              : kvdui_layout_open(argv[1], &err);
    if (!board)
        return fail("cannot open the layout", &err);

    kvdui_options options = {0};
    options.port = argc > 2 ? atoi(argv[2]) : 0;
    options.program_name = "Pit wall (C)";
    kvdui_client* sim = kvdui_connect(&options, &err);
    if (!sim) {
        kvdui_layout_free(board);
        return fail("cannot connect", &err);
    }
    const char* values[] = {PIT_STOP_PLACEHOLDER_LAP, "1", PIT_STOP_PLACEHOLDER_LAPS, "57", NULL};
    if (kvdui_show(sim, board, values, 0, &err) < 0) {
        kvdui_close(sim);
        kvdui_layout_free(board);
        return fail("cannot show the board", &err);
    }

    const int seconds = argc > 3 ? atoi(argv[3]) : 10;
    int fuel = 0;
    int lap = 1;
    time_t next_lap = time(NULL) + 1;
    const time_t end = time(NULL) + seconds;
    int running = 1;
    while (running && time(NULL) < end) {
        kvdui_event event;
        const int got = kvdui_wait_event(sim, &event, 100, &err);
        if (got < 0)
            break;
        if (got == 1) {
            if (event.kind == KVDUI_EVENT_CLICK &&
                (event.id == PIT_STOP_FUEL_PLUS || event.id == PIT_STOP_FUEL_MINUS)) {
                fuel += event.id == PIT_STOP_FUEL_PLUS ? 5 : -5;
                printf("click %s: fuel %+d L\n", event.name, fuel);
            } else if (event.kind == KVDUI_EVENT_CLICK) {
                printf("click %s (ID %d)\n", event.name, event.id);
            } else if (event.kind == KVDUI_EVENT_TEXT) {
                printf("typed into %s: %s\n", event.name, event.text);
            } else if (event.kind == KVDUI_EVENT_DISCONNECTED) {
                printf("disconnected: %s\n", event.text);
                running = 0;
            }
            fflush(stdout);
        }
        if (running && time(NULL) >= next_lap) {
            char text[16];
            snprintf(text, sizeof text, "%d", ++lap);
            if (kvdui_set(sim, board, PIT_STOP_PLACEHOLDER_LAP, text, &err) < 0)
                running = 0;
            next_lap = time(NULL) + 1;
        }
    }
    if (running)
        kvdui_hide(sim, board, &err);
    kvdui_close(sim);
    kvdui_layout_free(board);
    return 0;
}

/* kvdui.h: show layouts made with Korvadia UI Builder from your own program.
 *
 * A program opens a layout (a .kvdui file, or its text), connects to the simulator, shows the layout
 * with values for its placeholders ({lap}), changes single values as they change, and receives the
 * driver's clicks and typed text as events. Elements are found by the names given to them in the
 * builder. Nothing of the protocol needs to be known.
 *
 * Errors. Every call that can fail takes a kvdui_error* (NULL is allowed: the error is then only
 * returned). On failure it is filled with a code other than KVDUI_OK and a message in English that
 * can be shown to a user; on success its code is KVDUI_OK. Calls that return int return a negative
 * number (the code, negated) on failure; calls that return a pointer return NULL. A NULL pointer
 * argument is an error (KVDUI_ERR_ARGUMENT), never a crash. Texts going in and out are UTF-8.
 *
 * Threads. A kvdui_layout is read-only once made: any number of threads may use one at the same time,
 * and it may be shown on several clients. A kvdui_client is used by one thread at a time: calls on
 * the same client must not overlap; calls on different clients may run at the same time. Events are
 * handed out only inside kvdui_wait_event and kvdui_poll_event, in the calling thread; no callback is
 * ever made from a thread of the library. The library answers the simulator's keep-alives by itself,
 * so a program that does not call it for minutes stays connected.
 *
 * Lifetime. A layout may be freed while clients show it: they keep what they need until they hide
 * it or are closed, and events keep pointing to it until then. Nothing may be called on a client after
 * kvdui_close, nor on a layout after kvdui_layout_free.
 *
 * Compatibility. Within one major version (KVDUI_VERSION_MAJOR) the names, numbers and meanings in this
 * header only grow: new functions, error codes and event kinds may be added, existing ones keep their
 * signatures and behaviour, and structures passed in keep their layout. kvdui_options gains new fields
 * only through a new structure. A program built against version 1.x runs with any later 1.y library.
 */
#ifndef KVDUI_H
#define KVDUI_H

#include <stddef.h>
#include <stdint.h>

#define KVDUI_VERSION_MAJOR 1
#define KVDUI_VERSION_MINOR 0
#define KVDUI_VERSION_PATCH 0
#define KVDUI_VERSION_STRING "1.0.0"
/* The version as one number, to compare with #if: KVDUI_VERSION >= KVDUI_MAKE_VERSION(1, 0, 0). */
#define KVDUI_MAKE_VERSION(major, minor, patch) ((major)*10000 + (minor)*100 + (patch))
#define KVDUI_VERSION KVDUI_MAKE_VERSION(KVDUI_VERSION_MAJOR, KVDUI_VERSION_MINOR, KVDUI_VERSION_PATCH)

#if defined(_WIN32)
#if defined(KVDUI_BUILDING)
#define KVDUI_API __declspec(dllexport)
#else
#define KVDUI_API __declspec(dllimport)
#endif
#else
#define KVDUI_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes (kvdui_error.code; their negation is returned by the int calls). */
enum {
    KVDUI_OK = 0,
    KVDUI_ERR_ARGUMENT = 1,     /* a NULL pointer, an odd list of values, a number out of range */
    KVDUI_ERR_ENCODING = 2,     /* a text that is not valid UTF-8 */
    KVDUI_ERR_FILE = 3,         /* the layout file cannot be read */
    KVDUI_ERR_LAYOUT = 4,       /* the text is not a layout, or its names or IDs are used twice */
    KVDUI_ERR_NAME = 5,         /* no element, or no placeholder, of that name */
    KVDUI_ERR_OVERLAP = 6,      /* the layout's IDs are in use by another layout shown to that target */
    KVDUI_ERR_NOT_SHOWN = 7,    /* the layout is not shown on this client */
    KVDUI_ERR_CONNECT = 8,      /* the simulator is absent, refused, or did not answer in time */
    KVDUI_ERR_DISCONNECTED = 9, /* the connection has ended; close the client */
    KVDUI_ERR_SEND = 10,        /* the simulator stopped taking data within the timeout */
    KVDUI_ERR_INTERNAL = 11     /* a fault of the library (out of memory, for example) */
};

typedef struct kvdui_error {
    int code;          /* KVDUI_OK: no error */
    char message[512]; /* UTF-8, ends with a zero byte; cut at a character boundary when longer */
} kvdui_error;

/* A layout read once into the buttons it shows. */
typedef struct kvdui_layout kvdui_layout;
/* One connection to the simulator. */
typedef struct kvdui_client kvdui_client;

typedef struct kvdui_options {
    const char* address;        /* the simulator's IPv4 address; NULL: "127.0.0.1" */
    int port;                   /* 0: 29999 */
    const char* program_name;   /* shown by the simulator; NULL: "kvdui" */
    const char* admin_password; /* NULL: none */
    int timeout_ms;             /* for connecting and for each send; 0: 5000 */
} kvdui_options;

enum { KVDUI_EVENT_CLICK = 1, KVDUI_EVENT_TEXT = 2, KVDUI_EVENT_DISCONNECTED = 3 };

/* Bits of kvdui_event.flags for a click. */
enum { KVDUI_CLICK_LEFT = 1, KVDUI_CLICK_RIGHT = 2, KVDUI_CLICK_CTRL = 4, KVDUI_CLICK_SHIFT = 8 };

typedef struct kvdui_event {
    int kind;                   /* KVDUI_EVENT_... */
    int id;                     /* the element's ID (click and text); -1 for DISCONNECTED */
    const char* name;           /* the element's name; "" when it has none or no shown layout holds the ID */
    int flags;                  /* KVDUI_CLICK_... bits of a click; 0 otherwise */
    const char* text;           /* what the driver typed (TEXT); the reason (DISCONNECTED); "" otherwise */
    const kvdui_layout* layout; /* the shown layout the id belongs to, or NULL */
} kvdui_event;                  /* pointers stay valid until the next call on the client */

/* The library's version, "1.0.0": may differ from KVDUI_VERSION_STRING of the header a program was built
 * with. Never fails; any thread. */
KVDUI_API const char* kvdui_version(void);

/* Reads a layout file (path in UTF-8). Errors: KVDUI_ERR_ARGUMENT, KVDUI_ERR_ENCODING,
 * KVDUI_ERR_FILE (missing, not a regular file, larger than 64 MB, unreadable), KVDUI_ERR_LAYOUT (not
 * well-formed, names that are not names or are used twice, IDs used twice). Any thread. */
KVDUI_API kvdui_layout* kvdui_layout_open(const char* path_utf8, kvdui_error* err);
/* The same from layout text of length bytes (the text need not end with a zero byte). */
KVDUI_API kvdui_layout* kvdui_layout_from_text(const char* text_utf8, size_t length, kvdui_error* err);
/* Frees the layout; NULL does nothing. Clients that show it keep it until they hide it. */
KVDUI_API void kvdui_layout_free(kvdui_layout* layout);
/* The number of elements; 0 for NULL. */
KVDUI_API int kvdui_layout_count(const kvdui_layout* layout);
/* The ID of the element of that name; -1 when there is none (or for NULL). */
KVDUI_API int kvdui_layout_id(const kvdui_layout* layout, const char* name);
/* The name of the element with that ID: "" when it has none, NULL when no element has the ID. The text
 * lives as long as the layout. */
KVDUI_API const char* kvdui_layout_name(const kvdui_layout* layout, int id);

/* Connects and waits until the simulator has answered (at most timeout_ms). options may be NULL for
 * every default. Errors: KVDUI_ERR_ARGUMENT, KVDUI_ERR_ENCODING, KVDUI_ERR_CONNECT. */
KVDUI_API kvdui_client* kvdui_connect(const kvdui_options* options, kvdui_error* err);
/* Takes every button the client showed away (deletes them), says goodbye and frees the client; events
 * still pending are dropped. NULL does nothing. Waits at most the timeout for the simulator. */
KVDUI_API void kvdui_close(kvdui_client* client);

/* Shows the layout to the connection named by target (the byte at offset 3 of each button packet; 0 is
 * the simulator's own screen), with values for its placeholders: name, value, name, value, ..., NULL
 * (values NULL: none). A name may be given with or without braces. Showing a layout that is already
 * shown to that target sends it again with the new values. Returns the number of packets sent.
 * Errors: KVDUI_ERR_ARGUMENT (NULLs, an odd list, target outside 0 to 255), KVDUI_ERR_ENCODING,
 * KVDUI_ERR_OVERLAP (IDs shown by another layout to that target; the message names them),
 * KVDUI_ERR_DISCONNECTED, KVDUI_ERR_SEND. */
KVDUI_API int kvdui_show(kvdui_client* c, const kvdui_layout* l, const char* const* values, int target,
                         kvdui_error* err);
/* The same, with every ID of the layout moved up by id_offset (0 to 255; IDs past 255 are refused with
 * KVDUI_ERR_ARGUMENT), so that one layout can be shown twice side by side. Events carry the moved IDs. */
KVDUI_API int kvdui_show_at(kvdui_client* c, const kvdui_layout* l, const char* const* values, int target,
                            int id_offset, kvdui_error* err);
/* Changes one placeholder's value wherever the layout is shown and sends only the buttons whose text
 * changes; returns their number (0 when none changes). Errors: as kvdui_show, and KVDUI_ERR_NOT_SHOWN. */
KVDUI_API int kvdui_set(kvdui_client* c, const kvdui_layout* l, const char* name, const char* value,
                        kvdui_error* err);
/* Deletes exactly the layout's buttons wherever it is shown, leaving the program's other buttons;
 * returns the number of delete packets sent. Errors: KVDUI_ERR_ARGUMENT, KVDUI_ERR_NOT_SHOWN,
 * KVDUI_ERR_DISCONNECTED, KVDUI_ERR_SEND. */
KVDUI_API int kvdui_hide(kvdui_client* c, const kvdui_layout* l, kvdui_error* err);

/* Waits at most timeout_ms (negative: without end) for the next event and fills event with it. Returns 1
 * with an event, 0 when the time ran out, negative on failure (KVDUI_ERR_ARGUMENT). After the DISCONNECTED
 * event every further call returns KVDUI_ERR_DISCONNECTED. */
KVDUI_API int kvdui_wait_event(kvdui_client* c, kvdui_event* event, int timeout_ms, kvdui_error* err);
/* kvdui_wait_event without waiting: 1 with an event, 0 when none is pending. */
KVDUI_API int kvdui_poll_event(kvdui_client* c, kvdui_event* event, kvdui_error* err);
/* A handle that is ready while events are pending, for the program's own loop: a file descriptor that
 * polls readable on Linux, an event HANDLE (as intptr_t) that is signalled on Windows. Do not read from
 * it, write to it or close it; it lives as long as the client. -1 for NULL. */
KVDUI_API intptr_t kvdui_wait_handle(kvdui_client* c);

#ifdef __cplusplus
}
#endif

#endif /* KVDUI_H */

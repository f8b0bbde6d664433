/* The C header compiled as C99, as a C program includes it; the test calls this to see it link. */
#include <kvdui/kvdui.h>

#include <string.h>

int header_c_version_matches(void) {
    kvdui_error err;
    kvdui_layout* layout = kvdui_layout_from_text("<ui/>", 5, &err);
    const int ok = layout != NULL && err.code == KVDUI_OK && kvdui_layout_count(layout) == 0 &&
                   strcmp(kvdui_version(), KVDUI_VERSION_STRING) == 0 &&
                   KVDUI_VERSION >= KVDUI_MAKE_VERSION(1, 0, 0);
    kvdui_layout_free(layout);
    return ok;
}

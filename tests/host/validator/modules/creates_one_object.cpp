// Creates one script object per load, and none after it.
#include "sound_panel.h"

namespace {
int created = 0;
}  // namespace

extern "C" SOUND_PANEL_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
    return created++ == 0 ? new soundPanel(host, path) : nullptr;
}

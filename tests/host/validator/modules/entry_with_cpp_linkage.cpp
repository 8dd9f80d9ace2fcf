// Declares its entry point without extern "C": the name is decorated.
#include "sound_panel.h"

SOUND_PANEL_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path);

morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
    return new soundPanel(host, path);
}

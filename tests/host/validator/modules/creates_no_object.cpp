// Its entry point returns no script object.
#include "sound_panel.h"

extern "C" SOUND_PANEL_EXPORT morv_client_callback* load_morv_client_script(script_host*, const char*)
{
    return nullptr;
}

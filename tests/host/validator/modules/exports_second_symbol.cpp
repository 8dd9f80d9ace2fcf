// Exports a second symbol (built without a version script).
#include "sound_panel.h"

extern "C" SOUND_PANEL_EXPORT int sound_panel_version()
{
    return 1;
}

SOUND_PANEL_ENTRY(soundPanel)

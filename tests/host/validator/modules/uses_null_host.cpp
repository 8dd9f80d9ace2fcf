// Sends from its constructor without checking for a null host.
#include "sound_panel.h"

class usesNullHost final : public soundPanel {
public:
    usesNullHost(script_host* hostObject, const char* path) : soundPanel(hostObject, path)
    {
        host->send("CD '1' 'Take'", 0);
    }
};

SOUND_PANEL_ENTRY(usesNullHost)

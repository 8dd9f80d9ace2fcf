// Sends "AS" itself, and the framework sends it again.
#include "sound_panel.h"

class sendsAsTwice final : public soundPanel {
public:
    using soundPanel::soundPanel;
    ~sendsAsTwice() override
    {
        if (host != nullptr) {
            host->send("AS", 0);
        }
    }
};

SOUND_PANEL_ENTRY(sendsAsTwice)

// Sends with a code the host does not know.
#include "sound_panel.h"

class sendsCodeSeven final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host != nullptr) {
            host->send("CE '1' 'Take'", 7);
        }
    }
};

SOUND_PANEL_ENTRY(sendsCodeSeven)

// Sends a "TP" command without its control field.
#include "sound_panel.h"

class sendsUnparsableCommand final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host != nullptr) {
            host->send("TP 'text=1' '1'", 0);
        }
    }
};

SOUND_PANEL_ENTRY(sendsUnparsableCommand)

// Gives a reading reply back twice.
#include "sound_panel.h"

class givesBackTwice final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host != nullptr) {
            const char* reply = host->send("RN 1 0 1", 0);
            host->send(reply, 5);
            host->send(reply, 5);
        }
    }
};

SOUND_PANEL_ENTRY(givesBackTwice)

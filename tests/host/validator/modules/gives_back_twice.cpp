// Gives a reading reply back twice.
#include "sound_panel.h"

class givesBackTwice final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override
    {
        const char* reply = hostObject.send("RN 1 0 1", 0);
        hostObject.send(reply, 5);
        hostObject.send(reply, 5);
    }
};

SOUND_PANEL_ENTRY(givesBackTwice)

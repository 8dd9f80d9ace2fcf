// Sends a "TP" command without its control field.
#include "sound_panel.h"

class sendsUnparsableCommand final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override { hostObject.send("TP 'text=1' '1'", 0); }
};

SOUND_PANEL_ENTRY(sendsUnparsableCommand)

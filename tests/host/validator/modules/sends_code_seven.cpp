// Sends with a code the host does not know.
#include "sound_panel.h"

class sendsCodeSeven final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override { hostObject.send("CE '1' 'Take'", 7); }
};

SOUND_PANEL_ENTRY(sendsCodeSeven)

// Reads a reply without checking for null.
#include "sound_panel.h"

class readsNullReply final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override
    {
        const char* reply = hostObject.send("RN 1 0 2", 0);
        const volatile char first = reply[0];
        (void)first;
        hostObject.send(reply, 5);
    }
};

SOUND_PANEL_ENTRY(readsNullReply)

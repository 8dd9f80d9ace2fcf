// Reads a reply without checking for null.
#include "sound_panel.h"

class readsNullReply final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host != nullptr) {
            const char* reply = host->send("RN 1 0 1", 0);
            const volatile char first = reply[0];
            (void)first;
            host->send(reply, 5);
        }
    }
};

SOUND_PANEL_ENTRY(readsNullReply)

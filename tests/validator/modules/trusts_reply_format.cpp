// Expects an apostrophe in every reply to "SD" and reads past it.
#include "sound_panel.h"

#include <cstring>

class trustsReplyFormat final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host == nullptr) {
            return;
        }
        const char* reply = host->send("SD 'B4 Audio Router'", 0);
        if (reply != nullptr) {
            const char* quote = std::strchr(reply, '\'');
            const volatile char first = quote[1];
            (void)first;
            host->send(reply, 5);
        }
    }
};

SOUND_PANEL_ENTRY(trustsReplyFormat)

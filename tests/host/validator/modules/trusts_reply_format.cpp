// Expects an apostrophe in every reply to "SD" and reads past it.
#include "sound_panel.h"

#include <cstring>

class trustsReplyFormat final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override
    {
        const char* reply = hostObject.send("SD 'B4 Audio Router'", 0);
        if (reply != nullptr) {
            const volatile char afterQuote = std::strchr(reply, '\'')[1];
            (void)afterQuote;
            hostObject.send(reply, 5);
        }
    }
};

SOUND_PANEL_ENTRY(trustsReplyFormat)

// Keeps the reply of a reading command instead of giving it back.
#include "sound_panel.h"

class keepsReadingReply final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        soundPanel::onButton(button);
        if (host != nullptr) {
            kept = host->send("TG '1' 'New' 'text'", 0);
        }
    }

private:
    const char* kept = nullptr;
};

SOUND_PANEL_ENTRY(keepsReadingReply)

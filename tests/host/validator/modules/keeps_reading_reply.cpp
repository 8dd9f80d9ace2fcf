// Keeps the reply of a reading command instead of giving it back.
#include "sound_panel.h"

class keepsReadingReply final : public soundPanel {
public:
    using soundPanel::soundPanel;

private:
    void afterButton(script_host& hostObject) override { kept = hostObject.send("TG '1' 'New' 'text'", 0); }

    const char* kept = nullptr;
};

SOUND_PANEL_ENTRY(keepsReadingReply)

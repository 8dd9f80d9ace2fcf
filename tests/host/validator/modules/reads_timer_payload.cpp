// Takes the code 4 payload for a pointer.
#include "sound_panel.h"

class readsTimerPayload final : public soundPanel {
public:
    using soundPanel::soundPanel;
    const char* notify(void* payload, std::int32_t code) override
    {
        if (code == 4) {
            const volatile std::int32_t id = *static_cast<std::int32_t*>(payload);
            (void)id;
        }
        return soundPanel::notify(payload, code);
    }
};

SOUND_PANEL_ENTRY(readsTimerPayload)

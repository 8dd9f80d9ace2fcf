// Reads the code 5 payload before looking whether it is null.
#include "sound_panel.h"

class readsNullRelease final : public soundPanel {
public:
    using soundPanel::soundPanel;
    const char* notify(void* payload, std::int32_t code) override
    {
        if (code == 5) {
            const volatile char first = *static_cast<const char*>(payload);
            (void)first;
        }
        return soundPanel::notify(payload, code);
    }
};

SOUND_PANEL_ENTRY(readsNullRelease)

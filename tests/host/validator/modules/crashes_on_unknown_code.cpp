// Crashes on a notify code outside 1 to 7.
#include "sound_panel.h"

namespace {
int* volatile nowhere = nullptr;
}  // namespace

class crashesOnUnknownCode final : public soundPanel {
public:
    using soundPanel::soundPanel;
    const char* notify(void* payload, std::int32_t code) override
    {
        if (code < 1 || code > 7) {
            *nowhere = code;
        }
        return soundPanel::notify(payload, code);
    }
};

SOUND_PANEL_ENTRY(crashesOnUnknownCode)

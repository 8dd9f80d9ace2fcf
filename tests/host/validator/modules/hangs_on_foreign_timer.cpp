// Never returns from a tick of a timer it did not start.
#include "sound_panel.h"

namespace {
volatile bool spinning = true;
}  // namespace

class hangsOnForeignTimer final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onTimer(std::int32_t timerId) override
    {
        while (timerId != 1 && spinning) {
        }
        soundPanel::onTimer(timerId);
    }
};

SOUND_PANEL_ENTRY(hangsOnForeignTimer)

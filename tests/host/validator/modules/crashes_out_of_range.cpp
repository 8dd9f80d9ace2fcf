// Crashes on a list choice above 1000.
#include "sound_panel.h"

namespace {
int* volatile nowhere = nullptr;
}  // namespace

class crashesOutOfRange final : public soundPanel {
public:
    using soundPanel::soundPanel;
    void onButton(const buttonNotify& button) override
    {
        if (button.eventName() == "select" && button.eventValue().toInt() > 1000) {
            *nowhere = 1;
        }
        soundPanel::onButton(button);
    }
};

SOUND_PANEL_ENTRY(crashesOutOfRange)

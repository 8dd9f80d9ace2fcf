// Forgets the host before the framework can send "AS".
#include "sound_panel.h"

class neverSendsAs final : public soundPanel {
public:
    using soundPanel::soundPanel;
    ~neverSendsAs() override { host = nullptr; }
};

SOUND_PANEL_ENTRY(neverSendsAs)

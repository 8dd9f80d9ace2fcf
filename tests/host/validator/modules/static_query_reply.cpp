// Answers queries with a static text instead of a heap buffer.
#include "sound_panel.h"

namespace {
char answer[] = "static answer";
}  // namespace

class staticQueryReply final : public soundPanel {
public:
    using soundPanel::soundPanel;
    const char* notify(void* payload, std::int32_t code) override
    {
        if (code == 3) {
            return answer;
        }
        if (code == 5) {
            return nullptr;
        }
        return soundPanel::notify(payload, code);
    }
};

SOUND_PANEL_ENTRY(staticQueryReply)

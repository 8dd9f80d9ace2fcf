// Shows how many scripts the module created: state outside the object.
#include "sound_panel.h"

namespace {
int created = 0;
}  // namespace

class countsAcrossObjects final : public soundPanel {
public:
    countsAcrossObjects(script_host* hostObject, const char* path) : soundPanel(hostObject, path)
    {
        textPut("text", morv_string(++created), "1", "New");
    }
};

SOUND_PANEL_ENTRY(countsAcrossObjects)

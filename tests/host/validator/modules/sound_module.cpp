// Keeps the contract: the validator passes it.
#include "sound_panel.h"

SOUND_PANEL_ENTRY(soundPanel)

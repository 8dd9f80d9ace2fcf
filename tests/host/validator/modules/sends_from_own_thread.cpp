// Sends from a thread of its own, started at a button event and joined at
// the next one or when the script is destroyed.
#include "sound_panel.h"

#include <thread>

class sendsFromOwnThread final : public soundPanel {
public:
    using soundPanel::soundPanel;
    ~sendsFromOwnThread() override { joinSender(); }

private:
    void afterButton(script_host& hostObject) override
    {
        joinSender();
        sender_ = std::thread([&hostObject] { hostObject.send("TP 'text=late' '1' 'New'", 0); });
    }
    void joinSender()
    {
        if (sender_.joinable()) {
            sender_.join();
        }
    }

    std::thread sender_;
};

SOUND_PANEL_ENTRY(sendsFromOwnThread)

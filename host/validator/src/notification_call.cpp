#include "notification_call.h"

#include "notification_delivery.h"

namespace panel_host {

const char* callNotify(morv_client_callback& script, const notification& n)
{
    try {
        return deliverNotification(script, n);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace panel_host

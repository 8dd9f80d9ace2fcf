#include "channel_wait.h"

#include "input_wait.h"

#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <utility>

namespace panel_host {

namespace {

// How often the channel is looked at: well below what a person notices, well
// above what keeps a core busy.
constexpr std::chrono::milliseconds lookInterval{10};

}  // namespace

struct channelWait::state {
    explicit state(boost::asio::io_context& io) : timer(io) {}
    boost::asio::steady_timer timer;
    int fd = -1;
};

namespace {

// Looks at the channel until it has input, then calls `ready`. The state is
// held by the wait, so that a handler run after the channelWait went finds
// it still there, released.
void lookUntilReady(const std::shared_ptr<channelWait::state>& state, channelWait::handler ready)
{
    const bool readyNow = state->fd >= 0 && waitForInput({state->fd}, 0);
    state->timer.expires_after(readyNow ? std::chrono::milliseconds(0) : lookInterval);
    state->timer.async_wait([state, ready = std::move(ready)](boost::system::error_code ec) mutable {
        if (!ec && state->fd < 0) {
            ec = boost::asio::error::operation_aborted;
        }
        if (ec || waitForInput({state->fd}, 0)) {
            ready(ec);
        } else {
            lookUntilReady(state, std::move(ready));
        }
    });
}

}  // namespace

channelWait::channelWait(boost::asio::io_context& io) : state_(std::make_shared<state>(io)) {}

channelWait::~channelWait()
{
    release();
}

void channelWait::assign(int fd)
{
    state_->fd = fd;
}

void channelWait::asyncWait(handler ready)
{
    lookUntilReady(state_, std::move(ready));
}

void channelWait::release()
{
    state_->fd = -1;
    state_->timer.cancel();
}

}  // namespace panel_host

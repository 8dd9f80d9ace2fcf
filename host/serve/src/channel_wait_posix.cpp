#include "channel_wait.h"

#include <boost/asio/posix/stream_descriptor.hpp>

#include <utility>

namespace panel_host {

struct channelWait::state {
    explicit state(boost::asio::io_context& io) : descriptor(io) {}
    boost::asio::posix::stream_descriptor descriptor;
};

channelWait::channelWait(boost::asio::io_context& io) : state_(std::make_shared<state>(io)) {}

channelWait::~channelWait()
{
    release();
}

void channelWait::assign(int fd)
{
    state_->descriptor.assign(fd);
}

void channelWait::asyncWait(handler ready)
{
    state_->descriptor.async_wait(boost::asio::posix::stream_descriptor::wait_read, std::move(ready));
}

void channelWait::release()
{
    if (state_->descriptor.is_open()) {
        state_->descriptor.release();
    }
}

}  // namespace panel_host

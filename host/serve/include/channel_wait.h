#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>

#include <functional>
#include <memory>

namespace panel_host {

// Waits on serve's io_context until a session process's channel has
// something to read. The platform seam:
//   channel_wait_posix.cpp    the descriptor itself (posix::stream_descriptor);
//   channel_wait_windows.cpp  Asio cannot wait for an anonymous pipe, so the
//                             channel is looked at every few milliseconds
//                             (the caller then reads only what is there).
class channelWait {
public:
    using handler = std::function<void(boost::system::error_code)>;

    explicit channelWait(boost::asio::io_context& io);
    ~channelWait();
    channelWait(const channelWait&) = delete;
    channelWait& operator=(const channelWait&) = delete;

    // The channel's descriptor, which stays the caller's to close.
    void assign(int fd);
    // Calls `ready` once the channel may have input or has reached its end;
    // with an error when the wait was cancelled.
    void asyncWait(handler ready);
    // Gives up the descriptor without closing it; a wait under way ends
    // with an error.
    void release();

    struct state;

private:
    std::shared_ptr<state> state_;
};

}  // namespace panel_host

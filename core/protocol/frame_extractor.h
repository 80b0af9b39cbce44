#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestra {

// Cuts valid frames out of received datagrams. Text that may still become a frame is kept
// in `pending` for the next datagram; a frame split across datagrams is joined that way.
class FrameExtractor {
public:
    // A peer that sends "%" and never "#" must not make the pending text grow without
    // bound; beyond this only the text from the last "%" is kept.
    static constexpr std::size_t kPendingCap = 64 * 1024;

    using Sink = void (*)(void* context, std::string_view frame);

    // Feeds one datagram (taken up to its first NUL) and hands every valid frame, in order,
    // to `on_frame`. Returns the number of valid frames. The view passed to `on_frame` is
    // valid only during the call.
    template <class OnFrame>
    int feed(std::string_view datagram, OnFrame&& on_frame) {
        using Fn = std::remove_reference_t<OnFrame>;
        return feed_impl(
            datagram, const_cast<void*>(static_cast<const void*>(&on_frame)),
            [](void* ctx, std::string_view frame) { (*static_cast<Fn*>(ctx))(frame); });
    }

    void reset() { pending_.clear(); }
    const std::string& pending() const { return pending_; }

private:
    int feed_impl(std::string_view datagram, void* context, Sink sink);
    int scan(std::string_view work, std::size_t& consumed, void* context, Sink sink);
    void keep_tail(std::string_view tail);

    std::string pending_;
};

}  // namespace kestra

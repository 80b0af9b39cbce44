#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "net/paced_queue.h"
#include "protocol/device_endpoint.h"
#include "protocol/frame_sink.h"

namespace kestra {

struct PacingStats {
    uint64_t sent = 0;       // accepted by the socket layer
    uint64_t failed = 0;     // refused by the socket layer or the sandbox
    uint64_t coalesced = 0;  // replaced while waiting, never sent
};

// The control socket: one UDP socket bound to all local IPv4 addresses at the control port,
// a receive thread that cuts frames out of what arrives, and a pacing thread that sends the
// queued datagrams, each followed by its gap.
//
// Plain POSIX sockets rather than Qt Network: Qt's default bind on Unix sets SO_REUSEADDR,
// which would let two sockets share the port, and its sockets need an event loop in the
// thread. Two dedicated threads give the pacing exact steady_clock deadlines and the receive
// side a wake-up on an eventfd instead of a polling period.
//
// Only the processor speaks for the processor: once accept_only() names a sender, datagrams
// from any other address or port are counted and dropped on the receive thread, before their
// text is looked at, so a stranger can neither touch the state nor keep the owner busy.
//
// Threads: start(), stop(), set_destination() and the destructor belong to the owner thread;
// send(), accept_only() and the counters may be used from any thread. `post_frame` runs on the
// receive thread and must not wait for the owner thread; `notices` hears only from start().
class UdpTransport final : public FrameSink {
public:
    using FrameHandler = std::function<void(std::string frame)>;

    struct Options {
        // The pacing thread sleeps until this long before a send is due and spins the rest: a
        // sleep may wake late by tens of microseconds, a spin burns its CPU while it lasts.
        std::chrono::microseconds spin{200};
    };

    UdpTransport(FrameHandler post_frame, NoticeSink& notices);
    UdpTransport(FrameHandler post_frame, NoticeSink& notices, Options options);
    ~UdpTransport() override;

    UdpTransport(const UdpTransport&) = delete;
    UdpTransport& operator=(const UdpTransport&) = delete;

    // Ends a running loop, then binds `local_port` (0: any free port) and starts both threads.
    // A failed setup gives the notice "Winsock error!" with the reason and the port (caption
    // "Warming") once and returns false. The count of foreign datagrams starts again.
    bool start(uint16_t local_port);

    // Ends the loop, drops what is still queued and closes the socket. Both threads wait on
    // wake-able primitives, so the join takes microseconds; the port is free on return.
    // Called from the transport's own threads it only asks, and the next start() or the
    // destructor finishes the job.
    void stop();

    // True from the bind until the loop has ended.
    bool receive_running() const { return receive_running_.load(std::memory_order_acquire); }
    // The bound port, 0 while no socket is open.
    uint16_t local_port() const { return port_.load(std::memory_order_acquire); }

    void set_destination(const DeviceEndpoint& to);

    // Frames are taken only from `sender` (address and port); none: from anyone.
    void accept_only(std::optional<DeviceEndpoint> sender);
    // Datagrams dropped since the last start() because another sender sent them.
    uint64_t foreign_datagrams() const { return foreign_.load(std::memory_order_relaxed); }

    // Queues the datagrams and returns at once; false when no socket is open, no destination
    // is set or the sandbox refuses the destination.
    bool send(const DatagramList& datagrams) override;

    std::size_t queued() const;
    // How long the waiting datagrams take to leave at their pace.
    std::chrono::milliseconds queued_pacing() const;
    // Drops what waits to be sent and returns how many datagrams that was; the socket stays
    // open and takes new datagrams.
    std::size_t drop_queued();
    PacingStats stats() const;

private:
    using Clock = std::chrono::steady_clock;

    void receive_loop(int fd);
    void pace(int fd);
    void reap();
    bool on_own_thread() const;
    void wait_wake(int timeout_ms) const;
    void drain_wake() const;

    FrameHandler post_frame_;
    NoticeSink& notices_;
    Options options_;

    int wake_fd_ = -1;  // eventfd: a stop request wakes the receive thread at once
    int sock_ = -1;     // owner thread only; the threads get it as an argument
    std::thread receiver_;
    std::thread pacer_;
    std::atomic<bool> stop_requested_{false};
    std::atomic<bool> receive_running_{false};
    std::atomic<uint16_t> port_{0};
    // The sender frames are taken from, packed by pack_sender(); kAnySender: everyone.
    static constexpr uint64_t kAnySender = 0;
    std::atomic<uint64_t> accepted_{kAnySender};
    std::atomic<uint64_t> foreign_{0};

    mutable std::mutex mutex_;
    std::condition_variable pacer_wake_;
    // Guarded by mutex_.
    bool accepting_ = false;
    PacedQueue queue_;
    std::optional<DeviceEndpoint> destination_;
    PacingStats stats_;
};

}  // namespace kestra

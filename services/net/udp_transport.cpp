#include "net/udp_transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>

#include "net/net_sandbox.h"
#include "net/udp_socket.h"
#include "protocol/frame_extractor.h"

namespace kestra {

namespace {

constexpr std::size_t kReceiveBuffer = 2048;
// Datagrams read per wake-up before the stop flag is looked at again, so a flood cannot
// keep the loop from ending.
constexpr int kReceiveBurst = 64;
constexpr int kTroubleBackoffMs = 5;

// Which transport the current thread works for; lets stop() know it must not join itself.
thread_local const UdpTransport* tl_transport = nullptr;

// Address and port in one word with a marker bit, so that 0 can mean "anyone".
uint64_t pack_sender(uint32_t address, uint16_t port) {
    return uint64_t{1} << 48 | uint64_t{address} << 16 | port;
}

inline void spin_pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace

UdpTransport::UdpTransport(FrameHandler post_frame, NoticeSink& notices)
    : UdpTransport(std::move(post_frame), notices, Options{}) {}

UdpTransport::UdpTransport(FrameHandler post_frame, NoticeSink& notices, Options options)
    : post_frame_(std::move(post_frame)), notices_(notices), options_(options) {
    wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_fd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

UdpTransport::~UdpTransport() {
    stop();
    ::close(wake_fd_);
}

bool UdpTransport::on_own_thread() const {
    return tl_transport == this;
}

bool UdpTransport::start(uint16_t local_port) {
    if (on_own_thread()) {
        return false;  // it would have to join itself
    }
    stop();
    // Whatever stop was asked before this point belongs to an earlier loop.
    stop_requested_.store(false, std::memory_order_release);
    drain_wake();

    foreign_.store(0, std::memory_order_relaxed);

    const auto fail = [this, local_port](int error) {
        notices_.notice(UdpSocket::failure_text(error, local_port), NoticeSink::kCaption);
        return false;
    };
    UdpSocket socket = UdpSocket::bind(local_port, std::nullopt, UdpSocket::Mode::NonBlocking);
    if (!socket.valid()) {
        return fail(socket.error());
    }
    const uint16_t bound_port = socket.port();
    const int fd = socket.release();
    sock_ = fd;
    port_.store(bound_port, std::memory_order_release);
    {
        std::lock_guard lock(mutex_);
        accepting_ = true;
        queue_.clear();
    }
    receive_running_.store(true, std::memory_order_release);
    try {
        receiver_ = std::thread(&UdpTransport::receive_loop, this, fd);
        pacer_ = std::thread(&UdpTransport::pace, this, fd);
    } catch (const std::system_error& e) {
        stop();
        return fail(e.code().value());
    }
    return true;
}

void UdpTransport::stop() {
    {
        std::lock_guard lock(mutex_);
        accepting_ = false;
        queue_.clear();
    }
    pacer_wake_.notify_all();
    stop_requested_.store(true, std::memory_order_release);
    const uint64_t one = 1;
    if (::write(wake_fd_, &one, sizeof one) < 0) {
        // Only fails when the counter is saturated, which wakes the loop just the same.
    }
    if (!on_own_thread()) {
        reap();
    }
}

void UdpTransport::reap() {
    if (receiver_.joinable()) {
        receiver_.join();
    }
    if (pacer_.joinable()) {
        pacer_.join();
    }
    if (sock_ >= 0) {
        ::close(sock_);
        sock_ = -1;
    }
    port_.store(0, std::memory_order_release);
    receive_running_.store(false, std::memory_order_release);
}

void UdpTransport::set_destination(const DeviceEndpoint& to) {
    std::lock_guard lock(mutex_);
    destination_ = to;
}

void UdpTransport::accept_only(std::optional<DeviceEndpoint> sender) {
    accepted_.store(sender ? pack_sender(sender->host_order(), sender->port) : kAnySender,
                    std::memory_order_release);
}

bool UdpTransport::send(const DatagramList& datagrams) {
    {
        std::lock_guard lock(mutex_);
        if (!accepting_ || !destination_ || !NetSandbox::admit(*destination_)) {
            return false;
        }
        for (const Datagram& d : datagrams) {
            if (queue_.push(d)) {
                ++stats_.coalesced;
            }
        }
    }
    pacer_wake_.notify_one();
    return true;
}

std::size_t UdpTransport::queued() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::chrono::milliseconds UdpTransport::queued_pacing() const {
    std::lock_guard lock(mutex_);
    return queue_.pacing();
}

std::size_t UdpTransport::drop_queued() {
    std::lock_guard lock(mutex_);
    const std::size_t dropped = queue_.size();
    queue_.clear();
    return dropped;
}

PacingStats UdpTransport::stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

void UdpTransport::wait_wake(int timeout_ms) const {
    pollfd p{wake_fd_, POLLIN, 0};
    while (::poll(&p, 1, timeout_ms) < 0 && errno == EINTR) {
    }
}

void UdpTransport::drain_wake() const {
    uint64_t count = 0;
    while (::read(wake_fd_, &count, sizeof count) > 0) {
    }
}

void UdpTransport::receive_loop(int fd) {
    tl_transport = this;
    FrameExtractor extractor;  // a new loop starts with nothing pending
    char buffer[kReceiveBuffer];
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    auto hand_over = [this](std::string_view frame) { post_frame_(std::string(frame)); };

    while (!stop_requested_.load(std::memory_order_acquire)) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno != EINTR) {
                wait_wake(kTroubleBackoffMs);
            }
            continue;
        }
        if (fds[1].revents != 0) {
            continue;  // a stop request; the loop condition sees it
        }
        bool trouble = false;
        for (int i = 0; i < kReceiveBurst; ++i) {
            sockaddr_in from{};
            socklen_t from_len = sizeof from;
            const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &from_len);
            if (n < 0) {
                trouble = errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
                break;
            }
            const uint64_t accepted = accepted_.load(std::memory_order_acquire);
            if (accepted != kAnySender &&
                pack_sender(ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)) != accepted) {
                // Never fed to the extractor either: a stranger's half frame must not join
                // the processor's pending text.
                foreign_.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            if (n > 0) {
                // The extractor takes the text up to the first NUL; the view never reaches
                // past the bytes received.
                extractor.feed(std::string_view(buffer, static_cast<std::size_t>(n)), hand_over);
            }
        }
        if (trouble) {
            // An error that poll keeps reporting must not turn into a busy loop.
            wait_wake(kTroubleBackoffMs);
        }
    }
    receive_running_.store(false, std::memory_order_release);
}

void UdpTransport::pace(int fd) {
    tl_transport = this;
    // Timer slack would let the coarse sleep end up to 50 us late; ask for none.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    std::optional<Clock::time_point> due;  // earliest start of the next send
    std::unique_lock lock(mutex_);
    for (;;) {
        pacer_wake_.wait(lock, [this] { return !accepting_ || !queue_.empty(); });
        if (!accepting_) {
            return;
        }
        if (due && Clock::now() < *due) {
            if (pacer_wake_.wait_until(lock, *due - options_.spin,
                                       [this] { return !accepting_; })) {
                return;
            }
            lock.unlock();
            while (Clock::now() < *due) {
                spin_pause();
            }
            lock.lock();
            if (!accepting_) {
                return;
            }
        }
        // Taken only now, so that a datagram replaced during the gap goes out in its newest form.
        std::optional<Datagram> next = queue_.pop();
        if (!next) {
            continue;
        }
        const std::optional<DeviceEndpoint> to = destination_;
        lock.unlock();
        const SendStatus status = to ? send_datagram(fd, next->payload, *to) : SendStatus::failed;
        // Counted from the end of this send: a late wake-up delays, never shortens, a gap.
        due = Clock::now() + next->gap;
        lock.lock();
        ++(status == SendStatus::sent ? stats_.sent : stats_.failed);
    }
}

}  // namespace kestra

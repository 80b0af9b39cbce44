#pragma once

#include "protocol/datagram.h"

namespace kestra {

// Where core hands the datagrams of a command; the transport queues and paces them.
// Returns false when they cannot be sent (no socket open); nothing is retried.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual bool send(const DatagramList& datagrams) = 0;
};

// Messages for the operator ("Winsock error!", "CANNOT CONNECT.", ...), with a caption.
class NoticeSink {
public:
    // The caption of every warning box, whoever tells it; the spelling is what the operator
    // has always seen.
    static constexpr const char* kCaption = "Warming";

    virtual ~NoticeSink() = default;
    virtual void notice(const std::string& text, const std::string& caption) = 0;
};

}  // namespace kestra

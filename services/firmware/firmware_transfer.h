#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "firmware/firmware_image.h"
#include "firmware/update_link.h"
#include "firmware/update_timing.h"
#include "protocol/datagram.h"
#include "protocol/update_reply.h"

namespace kestra {

// Whom the transfer tells what happens. Called on the transfer's own thread.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void notice(const std::string& text) = 0;
    // An OK/Cancel question; true for OK.
    virtual bool ask(const std::string& text) = 0;
    // The two version labels, "Current version：2.3" and "Local version：0.0".
    virtual void versions(const std::string& current, const std::string& local) = 0;
    // `sent` of `total` blocks of `image` have been accepted (0 when the image starts).
    virtual void progress(const FirmwareImage& image, std::size_t sent, std::size_t total) = 0;
};

enum class TransferResult {
    Succeeded,
    Failed,     // an image was not taken; the caller says "update fail"
    Declined,   // the operator stopped after the version could not be read
    Cancelled,  // the link was cancelled (the program ends)
};

// The firmware transfer on its own socket: the version query, then for each image the "S"
// handshake, the blocks as "T" frames, each accepted by "%Y", and the "%U" end report. Runs
// to its end on the calling thread; every wait goes through the link.
class FirmwareTransfer {
public:
    static constexpr const char* kVersionError = "Get version error.";
    static constexpr const char* kContinueQuestion =
        "If do you continue to update the device\xEF\xBC\x9F";  // full-width question mark
    static constexpr const char* kCurrentVersion =
        "Current version\xEF\xBC\x9A";  // full-width colon
    static constexpr const char* kLocalVersion = "Local version\xEF\xBC\x9A";
    // Nothing in the images says which version they hold.
    static constexpr const char* kLocalVersionText = "0";

    FirmwareTransfer(UpdateLink& link, TransferObserver& observer, UpdateTiming timing = {});

    TransferResult run(const std::vector<FirmwareImage>& images);

    // The processor's version text from its answer to "Z", or nothing within the time-out.
    std::optional<std::string> query_version();
    TransferResult send_image(const FirmwareImage& image);

private:
    bool send(const DatagramList& datagrams);
    // Waits `first` for an answer, then reads on until `quiet` passes without a datagram.
    UpdateReplyText collect(std::chrono::milliseconds first, std::chrono::milliseconds quiet);
    // Discards what is waiting, and what keeps coming until the socket has been quiet.
    void drain();
    TransferResult await_completion(const UpdateReplyText& last_block_answer);
    TransferResult failed_or_cancelled() const;

    UpdateLink& link_;
    TransferObserver& observer_;
    UpdateTiming timing_;
};

}  // namespace kestra

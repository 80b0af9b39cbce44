#include "firmware/firmware_transfer.h"

#include "protocol/command_encoder.h"
#include "protocol/frame_extractor.h"

namespace kestra {

using namespace std::chrono_literals;

FirmwareTransfer::FirmwareTransfer(UpdateLink& link, TransferObserver& observer,
                                   UpdateTiming timing)
    : link_(link), observer_(observer), timing_(timing) {}

TransferResult FirmwareTransfer::run(const std::vector<FirmwareImage>& images) {
    const std::optional<std::string> version = query_version();
    if (link_.cancelled()) {
        return TransferResult::Cancelled;
    }
    if (!version) {
        observer_.notice(kVersionError);
        if (!observer_.ask(kContinueQuestion)) {
            return link_.cancelled() ? TransferResult::Cancelled : TransferResult::Declined;
        }
    }
    observer_.versions(kCurrentVersion + format_version(version.value_or("00")),
                       kLocalVersion + format_version(kLocalVersionText));
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (i > 0) {
            link_.pause(timing_.between_images);
        }
        const TransferResult r = send_image(images[i]);
        if (r != TransferResult::Succeeded) {
            return r;
        }
    }
    return TransferResult::Succeeded;
}

std::optional<std::string> FirmwareTransfer::query_version() {
    if (!send(encode_read_all())) {
        return std::nullopt;
    }
    // The full state comes in several datagrams; only its "Z" frame is wanted.
    FrameExtractor extractor;
    std::optional<std::string> version;
    const auto deadline = link_.now() + timing_.version_timeout;
    while (!version && !link_.cancelled()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - link_.now());
        if (left <= 0ms) {
            break;
        }
        const std::optional<std::string> datagram = link_.receive(left);
        if (!datagram) {
            break;
        }
        extractor.feed(*datagram, [&](std::string_view frame) {
            if (!version) {
                version = version_from_full_state(frame);
            }
        });
    }
    return version;
}

TransferResult FirmwareTransfer::send_image(const FirmwareImage& image) {
    const std::size_t total = update_block_count(image.bytes.size());
    observer_.progress(image, 0, total);

    drain();
    if (!send(encode_update_start(image.target, image.bytes.size()))) {
        return failed_or_cancelled();
    }
    if (!collect(timing_.start_timeout, timing_.start_quiet).contains("%S")) {
        return failed_or_cancelled();
    }

    UpdateReplyText answer;
    for (std::size_t k = 0; k < total; ++k) {
        const int block = static_cast<int>(k);
        DatagramList pieces =
            encode_update_block(image.target, block, update_block_data(image.bytes, block));
        if (!send(with_pause(pieces, timing_.block_pause))) {
            return failed_or_cancelled();
        }
        answer = collect(timing_.block_timeout, timing_.block_quiet);
        if (!answer.contains("%Y")) {
            return failed_or_cancelled();
        }
        observer_.progress(image, k + 1, total);
    }
    return await_completion(answer);
}

TransferResult FirmwareTransfer::await_completion(const UpdateReplyText& last_block_answer) {
    // A processor that reports the end at once has put it beside the last "%Y".
    std::optional<UpdateCompletion> report = find_update_completion(last_block_answer.str());
    if (!report) {
        link_.pause(timing_.completion_pause);
        report = find_update_completion(
            collect(timing_.completion_timeout, timing_.completion_quiet).str());
    }
    if (!report) {
        return failed_or_cancelled();
    }
    if (!report->ok) {
        observer_.notice(report->text);
        return TransferResult::Failed;
    }
    return TransferResult::Succeeded;
}

TransferResult FirmwareTransfer::failed_or_cancelled() const {
    return link_.cancelled() ? TransferResult::Cancelled : TransferResult::Failed;
}

bool FirmwareTransfer::send(const DatagramList& datagrams) {
    for (const Datagram& d : datagrams) {
        if (link_.cancelled() || !link_.send(d.payload)) {
            return false;
        }
        link_.pause(d.gap);
    }
    return !link_.cancelled();
}

UpdateReplyText FirmwareTransfer::collect(std::chrono::milliseconds first,
                                          std::chrono::milliseconds quiet) {
    UpdateReplyText text;
    std::optional<std::string> datagram = link_.receive(first);
    const auto limit = link_.now() + timing_.collect_limit;
    while (datagram && !link_.cancelled()) {
        text.append(*datagram);
        if (link_.now() >= limit) {
            break;
        }
        datagram = link_.receive(quiet);
    }
    return text;
}

void FirmwareTransfer::drain() {
    const auto limit = link_.now() + timing_.collect_limit;
    if (!link_.receive(0ms)) {
        return;
    }
    while (!link_.cancelled() && link_.now() < limit && link_.receive(timing_.drain_quiet)) {
    }
}

}  // namespace kestra

#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include "util/post.h"

#include "actions/action_context.h"
#include "firmware/firmware_image.h"
#include "firmware/firmware_transfer.h"
#include "firmware/udp_update_link.h"
#include "firmware/update_timing.h"
#include "protocol/device_endpoint.h"
#include "protocol/frame_sink.h"
#include "session/maintenance_lock.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// Blocks of one image taken by the processor so far.
struct UpdateProgress {
    std::string file_name;
    int target = 1;
    std::size_t sent = 0;
    std::size_t total = 0;
    bool operator==(const UpdateProgress&) const = default;
};

struct UpdateStatus {
    enum class Phase {
        Requested,  // waiting for the control port to be free
        Running,    // the transfer thread works
        Versions,   // the version labels changed
        Finished,
    };
    Phase phase;
    std::string current_version;           // Versions: "Current version：2.3"
    std::string local_version;             // Versions: "Local version：0.0"
    std::optional<TransferResult> result;  // Finished
};

// The LOCAL update. On the owner thread: the refusal while a maintenance job runs, the
// question, reading the images, giving up the control port; the tick starts the transfer on
// its own thread and socket once the port is free. The transfer's notices, questions and
// progress come back to the owner thread through `post`.
class FirmwareUpdater {
public:
    static constexpr const char* kQuestion = "If do you update the device? ";
    static constexpr const char* kSucceeded = "Update successfully";
    static constexpr const char* kFailed = "update fail";

    // Who holds the control port: asked to give it up, and asked whether it has.
    struct PortRelease {
        std::function<void()> request;
        std::function<bool()> released;
    };

    struct Settings {
        uint16_t local_port = DeviceEndpoint::kDefaultPort;
        DeviceEndpoint device;
        std::vector<std::filesystem::path> image_folders;  // searched in this order
        UpdateTiming timing;
    };

    // `lock` outlives this object.
    FirmwareUpdater(MaintenanceLock& lock, PortRelease port, Post post, NoticeSink& notices,
                    QuestionSink& questions, const Clock& clock);
    ~FirmwareUpdater();
    FirmwareUpdater(const FirmwareUpdater&) = delete;
    FirmwareUpdater& operator=(const FirmwareUpdater&) = delete;

    // The LOCAL press. False when refused, declined, or an image cannot be read; in all these
    // cases nothing else has happened (the connection stays).
    bool start_local_update(const Settings& settings);
    // The owner's periodic tick.
    void tick();

    bool running() const { return phase_ != Phase::Idle; }
    // How long the update started last may take at most while the processor answers within
    // the time-outs; a caller that waits for the end waits this long.
    std::chrono::milliseconds time_bound() const { return bound_; }
    std::optional<TransferResult> last_result() const { return last_result_; }

    Publisher<UpdateProgress>& progress() { return progress_; }
    Publisher<UpdateStatus>& status() { return status_; }

private:
    enum class Phase { Idle, Requested, Running };
    class Relay;

    bool load_images(const Settings& settings);
    std::chrono::milliseconds bound_of(const UpdateTiming& t) const;
    void launch();
    void finish(TransferResult result);
    // On the transfer thread: the owner's answer, or false once cancelled.
    bool ask_on_owner(const std::string& text);
    void post_owned(std::function<void()> task);

    MaintenanceLock& lock_;
    PortRelease port_;
    Post post_;
    NoticeSink& notices_;
    QuestionSink& questions_;
    const Clock& clock_;
    std::shared_ptr<bool> alive_;
    // Read by the transfer thread while the owner may be dropping alive_; never changed.
    const std::weak_ptr<bool> alive_weak_;

    Phase phase_ = Phase::Idle;
    Settings settings_;
    std::vector<FirmwareImage> images_;
    Clock::TimePoint requested_at_{};
    std::chrono::milliseconds bound_{0};
    std::optional<TransferResult> last_result_;
    std::unique_ptr<UdpUpdateLink> link_;
    std::thread worker_;

    std::mutex answer_mutex_;
    std::condition_variable answer_wake_;
    std::optional<bool> answer_;  // guarded by answer_mutex_

    Publisher<UpdateProgress> progress_;
    Publisher<UpdateStatus> status_;
};

}  // namespace kestra

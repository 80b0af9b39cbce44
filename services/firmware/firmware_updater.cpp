#include "firmware/firmware_updater.h"

#include <utility>

#include <variant>
#include "net/udp_socket.h"
#include "protocol/command_encoder.h"

namespace kestra {

// The transfer's observer on its thread: everything is handed to the owner thread.
class FirmwareUpdater::Relay final : public TransferObserver {
public:
    explicit Relay(FirmwareUpdater& owner) : owner_(owner) {}

    void notice(const std::string& text) override {
        owner_.post_owned([o = &owner_, text] { o->notices_.notice(text, ""); });
    }
    bool ask(const std::string& text) override { return owner_.ask_on_owner(text); }
    void versions(const std::string& current, const std::string& local) override {
        owner_.post_owned([o = &owner_, current, local] {
            o->status_.publish({UpdateStatus::Phase::Versions, current, local, std::nullopt});
        });
    }
    void progress(const FirmwareImage& image, std::size_t sent, std::size_t total) override {
        owner_.post_owned([o = &owner_, p = UpdateProgress{image.file_name, image.target, sent,
                                                           total}] { o->progress_.publish(p); });
    }

private:
    FirmwareUpdater& owner_;
};

FirmwareUpdater::FirmwareUpdater(MaintenanceLock& lock, PortRelease port, Post post,
                                 NoticeSink& notices, QuestionSink& questions, const Clock& clock)
    : lock_(lock),
      port_(std::move(port)),
      post_(std::move(post)),
      notices_(notices),
      questions_(questions),
      clock_(clock),
      alive_(std::make_shared<bool>(true)),
      alive_weak_(alive_) {}

FirmwareUpdater::~FirmwareUpdater() {
    alive_.reset();
    if (link_) {
        link_->cancel();
    }
    {
        // Taken once, so a transfer thread between its check and its wait cannot miss this.
        std::lock_guard lock(answer_mutex_);
    }
    answer_wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (phase_ != Phase::Idle) {
        lock_.end();
    }
}

bool FirmwareUpdater::start_local_update(const Settings& settings) {
    if (lock_.busy()) {
        notices_.notice(lock_.refusal(), "");
        return false;
    }
    if (!questions_.ask(kQuestion, "")) {
        return false;
    }
    // Both images are read before the connection goes, so a missing one costs nothing.
    if (!load_images(settings)) {
        notices_.notice(kFailed, "");
        return false;
    }
    lock_.begin(MaintenanceLock::Kind::Update);
    settings_ = settings;
    bound_ = bound_of(settings.timing);
    phase_ = Phase::Requested;
    requested_at_ = clock_.now();
    last_result_.reset();
    port_.request();
    status_.publish({UpdateStatus::Phase::Requested, {}, {}, std::nullopt});
    return true;
}

bool FirmwareUpdater::load_images(const Settings& settings) {
    images_.clear();
    for (const FirmwareImageName& wanted : kLocalUpdateImages) {
        auto loaded = FirmwareImage::load(wanted.file_name, wanted.target, settings.image_folders);
        if (const auto* error = std::get_if<std::string>(&loaded)) {
            notices_.notice(*error, "");
            images_.clear();
            return false;
        }
        images_.push_back(std::move(std::get<FirmwareImage>(loaded)));
    }
    return true;
}

std::chrono::milliseconds FirmwareUpdater::bound_of(const UpdateTiming& t) const {
    using namespace std::chrono_literals;
    // A block: its pieces 20 ms apart, the pause, the answer and its quiet time, with room.
    const auto per_block = 9 * kUpdatePieceGap + t.block_pause + t.block_timeout + 1s;
    auto bound = t.release_settle + t.version_timeout + 10s;
    for (const FirmwareImage& image : images_) {
        bound += t.between_images + 2 * t.collect_limit + t.start_timeout + t.start_quiet +
                 t.completion_timeout + t.completion_quiet +
                 static_cast<int>(update_block_count(image.bytes.size())) * per_block;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(bound);
}

void FirmwareUpdater::tick() {
    if (phase_ != Phase::Requested || !port_.released() ||
        clock_.now() - requested_at_ < settings_.timing.release_settle) {
        return;
    }
    launch();
}

void FirmwareUpdater::launch() {
    int error = 0;
    link_ = UdpUpdateLink::open(settings_.local_port, settings_.device, &error);
    if (!link_) {
        // Told as the control socket tells it, so the operator sees which port and why.
        notices_.notice(UdpSocket::failure_text(error, settings_.local_port), NoticeSink::kCaption);
        phase_ = Phase::Idle;
        images_.clear();
        lock_.end();
        status_.publish({UpdateStatus::Phase::Finished, {}, {}, TransferResult::Failed});
        return;
    }
    {
        std::lock_guard lock(answer_mutex_);
        answer_.reset();
    }
    phase_ = Phase::Running;
    status_.publish({UpdateStatus::Phase::Running, {}, {}, std::nullopt});
    worker_ = std::thread(
        [this, link = link_.get(), images = std::move(images_), timing = settings_.timing] {
            Relay relay(*this);
            FirmwareTransfer transfer(*link, relay, timing);
            const TransferResult result = transfer.run(images);
            post_owned([this, result] { finish(result); });
        });
    images_.clear();
}

void FirmwareUpdater::finish(TransferResult result) {
    if (worker_.joinable()) {
        worker_.join();  // it has nothing left to do but return
    }
    link_.reset();
    phase_ = Phase::Idle;
    last_result_ = result;
    lock_.end();
    if (result == TransferResult::Succeeded) {
        notices_.notice(kSucceeded, "");
    } else if (result == TransferResult::Failed) {
        notices_.notice(kFailed, "");
    }
    status_.publish({UpdateStatus::Phase::Finished, {}, {}, result});
}

bool FirmwareUpdater::ask_on_owner(const std::string& text) {
    post_owned([this, text] {
        const bool ok = questions_.ask(text, "");
        {
            std::lock_guard lock(answer_mutex_);
            answer_ = ok;
        }
        answer_wake_.notify_all();
    });
    std::unique_lock lock(answer_mutex_);
    answer_wake_.wait(lock, [this] { return answer_.has_value() || link_->cancelled(); });
    const bool ok = answer_.value_or(false);
    answer_.reset();
    return ok;
}

void FirmwareUpdater::post_owned(std::function<void()> task) {
    post_([alive = alive_weak_, task = std::move(task)] {
        if (alive.lock()) {
            task();
        }
    });
}

}  // namespace kestra

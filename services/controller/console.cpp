#include "controller/console.h"

#include <filesystem>

#include "store/data_folder.h"
#include "store/state_file.h"

namespace kestra {

namespace {

CommandContext names_for(const ProcessorSession& session, const GlyphRasterizer& glyphs) {
    CommandContext names;
    names.codec = &session.codec();
    names.glyphs = &glyphs;
    return names;
}

// Lines of earlier sessions shown in the journal.
constexpr std::size_t kHistoryLines = 1000;

}  // namespace

Console::Console(ConsoleSettings settings, Post post, NoticeSink& notices, QuestionSink& questions,
                 const Clock* clock)
    : settings_(std::move(settings)),
      data_folder_(DataFolder::resolve(settings_.data_dir)),
      post_(std::move(post)),
      notices_(notices),
      questions_(questions),
      session_(settings_.session, post_, notices, clock),
      surface_(session_.state(), session_.changes(), session_.sink(), notices, questions,
               session_.clock(), names_for(session_, glyphs_)),
      journal_writer_(data_folder_, notices) {
    session_.track_transfers(&surface_.full_state);
    if (settings_.state_file) {
        load_state_file(*settings_.state_file);
    }
    journal_ = std::make_unique<ChangeJournal>(surface_.context());
    std::error_code ec;
    history_end_ = std::filesystem::file_size(history_path(), ec);
    if (ec) {
        history_end_ = 0;
    }
    journal_lines_ =
        journal_->appended().subscribe([this](const JournalLine& l) { write_journal(l); });
}

std::string Console::history_path() const {
    return data_folder_ + "/" + JournalFile::kFileName;
}

// Read on first use, not at the start: what the file held then, which a rotation since has
// moved to the rotated name.
ChangeJournal& Console::journal() {
    if (!history_read_) {
        history_read_ = true;
        const JournalFile* file = journal_writer_.file();
        const int rotations = file != nullptr ? file->rotations() : 0;
        if (rotations <= 1 && history_end_ > 0) {
            const std::string path = rotations == 0 ? history_path() : file->rotated_path();
            journal_->add_history(JournalFile::read(path, kHistoryLines, nullptr, history_end_));
        }
    }
    return *journal_;
}

Console::~Console() {
    journal_->settle();
    journal_lines_.reset();
    journal_writer_.flush(session_.clock().now(), true);
}

void Console::write_journal(const JournalLine& line) {
    journal_writer_.append(line, session_.clock().now());
}

StoreSession* Console::stores_or_notice() {
    try {
        return &stores();
    } catch (const ConsoleError& e) {
        notices_.notice(e.what(), NoticeSink::kCaption);
        return nullptr;
    }
}

void Console::load_state_file(const std::string& path) {
    DeviceState loaded = session_.state();
    std::string error;
    if (!StateFile::load(path, session_.codec(), loaded, error)) {
        throw ConsoleError(error);
    }
    // A prepared room starts offline with no group active, as after a scene recall.
    loaded.system.connected = 0;
    loaded.system.connecting = 0;
    loaded.groups.control_active = {};
    loaded.groups.active_mute_group = 0;
    session_.state() = std::move(loaded);
    surface_.context().active_groups() = ActiveGroups{};
    ActionContext::OriginScope origin(surface_.context(), ChangeOrigin::Recall);
    surface_.context().changed(
        {StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All});
}

Console::ConnectOutcome Console::connect_and_wait(const RunUntil& run_until) {
    if (state().system.connected) {
        return ConnectOutcome::Connected;
    }
    session_.connect();
    // "Awaiting" has no time-out of its own: the connection rules say when it has lasted too
    // long, in the window too.
    const ConnectionRules& connection = session_.connection();
    run_until(
        [&] {
            const ConnectionPhase phase = connection.phase();
            return phase == ConnectionPhase::Connected || phase == ConnectionPhase::Offline ||
                   connection.completion_overdue();
        },
        kConnectLimit);
    if (connection.phase() == ConnectionPhase::Awaiting) {
        return ConnectOutcome::Incomplete;
    }
    return state().system.connected != 0 ? ConnectOutcome::Connected
                                         : ConnectOutcome::CannotConnect;
}

bool Console::disconnect() {
    // The rules' phase, not the socket alone: a search may have taken the port from an
    // attempt still awaiting its completion, which would otherwise never end.
    if (session_.connection().phase() == ConnectionPhase::Offline && !session_.listening()) {
        return false;
    }
    session_.disconnect();
    return true;
}

std::size_t Console::disconnect_and_wait(const RunUntil& run_until) {
    if (!disconnect()) {
        return 0;
    }
    // The session bounds the close itself (the queue's pacing plus a grace, twice at worst);
    // the limit here only guards against a loop that never ticks.
    const auto bound = session_.transport().queued_pacing() + 2 * ProcessorSession::kCloseGrace +
                       std::chrono::milliseconds(1000);
    run_until([this] { return !session_.closing(); }, bound);
    return session_.dropped_at_close();
}

bool Console::wait_for_transfer(const RunUntil& run_until) {
    const FullStateWriter& writer = surface_.full_state;
    if (!writer.running()) {
        return true;
    }
    const auto limit =
        writer.planned_duration() + writer.planned_duration() / 2 + std::chrono::seconds(5);
    return run_until([&] { return !writer.running(); },
                     std::chrono::duration_cast<std::chrono::milliseconds>(limit));
}

void Console::shutdown() {
    session_.discovery().stop();
    if (!disconnect() && !session_.closing()) {
        session_.transport().stop();
    }
}

void Console::tick() {
    session_.tick();
    journal_->tick();
    journal_writer_.tick(session_.clock().now());
    surface_.recovery.tick();
    if (stores_) {
        stores_->scenes().changes_recall().tick();
    }
    if (firmware_) {
        firmware_->tick();
    }
}

FirmwareUpdater& Console::firmware() {
    if (!firmware_) {
        firmware_ = std::make_unique<FirmwareUpdater>(
            surface_.maintenance,
            FirmwareUpdater::PortRelease{[this] { session_.release_port(); },
                                         [this] { return session_.port_released(); }},
            post_, notices_, questions_, session_.clock());
    }
    return *firmware_;
}

StoreSession& Console::stores() {
    if (!stores_) {
        std::string error;
        if (!DataFolder::ensure(data_folder_, error)) {
            throw ConsoleError(error);
        }
        stores_ = std::make_unique<StoreSession>(data_folder_, surface_, notices_);
    }
    return *stores_;
}

}  // namespace kestra

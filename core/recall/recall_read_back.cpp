#include "recall/recall_read_back.h"

#include <algorithm>

#include "model/state_fields.h"
#include "session/field_write_back.h"
#include "session/full_state_writer.h"

namespace kestra {

namespace {

using Block = StateChange::Block;

const StateChange kEverything{StateChange::Scope::Everything, StateChange::kEvery, Block::All};

std::vector<WriteStep> whole_steps() {
    return WriteSteps::whole(FullStateWriter::kRecallNamePause);
}

bool carried_by_any(const std::vector<WriteStep>& steps, const SceneDiffEntry& e) {
    return std::any_of(steps.begin(), steps.end(),
                       [&e](const WriteStep& s) { return WriteSteps::carries(s, e.unit, e.path); });
}

std::string listed(const std::vector<SceneDiffEntry>& entries) {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const SceneDiffEntry& e : entries) {
        lines.push_back(e.text());
    }
    return listed_lines(lines, RecallReadBack::kListed);
}

}  // namespace

RecallReadBack::RecallReadBack(ActionContext& context)
    : ctx_(context),
      subscription_(context.changes().subscribe([this](const StateChange& c) { observe(c); })) {}

std::string RecallReadBack::no_answer_text(const std::string& what) {
    return "The processor did not answer the read-back; its settings could not be compared "
           "with " +
           what + ".";
}

std::string RecallReadBack::differed_text(const std::string& what) {
    return " values read back from the processor differed from " + what +
           " and were written again:";
}

std::string RecallReadBack::remaining_text(const std::string& what, int rounds) {
    return " values still differ from " + what + " after " + std::to_string(rounds) +
           " read-backs:";
}

std::string RecallReadBack::unverified_line(const std::string& title,
                                            const ReadBackResult& result) {
    if (!result.read_back) {
        return title + " not verified: the processor did not answer the read-back";
    }
    const std::size_t n = result.remaining.size();
    return title + " not verified: " + std::to_string(n) +
           (n == 1 ? " field still differs" : " fields still differ");
}

DeviceState RecallReadBack::as_read(const DeviceState& target) {
    DeviceState read = target;
    read.sanitize_after_bulk();
    return read;
}

std::vector<SceneDiffEntry> RecallReadBack::unverifiable(const DeviceState& target,
                                                         const NameCodec& codec) {
    const std::vector<WriteStep> steps = whole_steps();
    std::vector<SceneDiffEntry> out;
    const SceneDiff forced = SceneDiff::between(target, as_read(target), codec);
    for (const SceneDiffEntry& e : forced.entries()) {
        if (carried_by_any(steps, e)) {
            out.push_back(e);
        }
    }
    return out;
}

const NameCodec& RecallReadBack::codec() const {
    return ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback_codec_;
}

bool RecallReadBack::start(const DeviceState& target, const std::string& what,
                           const std::string& title, int sent, std::chrono::milliseconds sending) {
    if (running() || !ctx_.connected()) {
        return false;
    }
    target_ = std::make_unique<DeviceState>(target);
    expected_ = std::make_unique<DeviceState>(as_read(target));
    what_ = what;
    title_ = title;
    result_ = ReadBackResult{sent, FullStateWriter::kCommandCount, false, 0, {}, {}, {}};
    result_.unverifiable = unverifiable(target, codec());
    ctx_.expect_read_back(true);
    request_read(sending);
    started_.publish(title_);
    return true;
}

void RecallReadBack::request_read(std::chrono::milliseconds sending) {
    phase_ = Phase::Read;
    ctx_.send(encode_read_all());
    deadline_ = ctx_.clock().now() + sending + kReadBackLimit;
}

void RecallReadBack::observe(const StateChange& change) {
    if (!running() || storing_) {
        return;
    }
    if (change.origin == ChangeOrigin::FullStateRead && change.block == Block::All &&
        phase_ == Phase::Read) {
        compare();
    } else if (change.block == Block::Connection && change.from_processor()) {
        if (!ctx_.connected()) {
            end(phase_ == Phase::Reply);
        } else if (phase_ == Phase::Reply) {
            store_target();
            end(true);
        } else {
            store_target();  // the reply of an earlier round; the next read is awaited
        }
    }
}

void RecallReadBack::tick() {
    if (running() && ctx_.clock().now() >= deadline_) {
        end(phase_ == Phase::Reply);
    }
}

// The state now holds what the processor read back; what a command carries differently
// from the target, as the read would show it, is written again and read once more.
void RecallReadBack::compare() {
    ++result_.rounds;
    const DeviceState& read = ctx_.state();
    const std::vector<WriteStep> again =
        FieldWriteBack::steps(whole_steps(), read, *expected_, ctx_.names());
    std::vector<SceneDiffEntry> found;
    if (!again.empty()) {
        const SceneDiff diff = SceneDiff::between(read, *expected_, codec());
        for (const SceneDiffEntry& e : diff.entries()) {
            if (carried_by_any(again, e)) {
                found.push_back(e);
            }
        }
    }
    if (result_.rounds == 1) {
        result_.differed = found;
    }
    store_target();
    if (again.empty() || result_.rounds >= kRounds) {
        result_.remaining = std::move(found);
        phase_ = Phase::Reply;
        deadline_ = ctx_.clock().now() + kReplyWait;
        return;
    }
    FieldWriteBack::send(ctx_, again);
    request_read(WriteSteps::planned(again));
}

void RecallReadBack::store_target() {
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        StateFields::copy_unit(ctx_.state(), *target_, u);
    }
    // Published as a read, so that views and the journal take it like the read it replaces;
    // it is not the processor's answer.
    storing_ = true;
    const ActionContext::OriginScope read(ctx_, ChangeOrigin::FullStateRead);
    ctx_.changed(kEverything);
    storing_ = false;
}

void RecallReadBack::end(bool read_back) {
    result_.read_back = read_back;
    ctx_.expect_read_back(false);
    target_.reset();
    expected_.reset();
    std::vector<std::string> parts;
    if (!read_back) {
        parts.push_back(no_answer_text(what_));
    } else if (!result_.remaining.empty()) {
        parts.push_back(std::to_string(result_.remaining.size()) +
                        remaining_text(what_, result_.rounds) + listed(result_.remaining));
    } else if (!result_.differed.empty()) {
        parts.push_back(std::to_string(result_.differed.size()) + differed_text(what_) +
                        listed(result_.differed));
    }
    if (!result_.unverifiable.empty()) {
        parts.push_back(std::to_string(result_.unverifiable.size()) + kUnverifiable +
                        listed(result_.unverifiable));
    }
    std::string text;
    for (const std::string& p : parts) {
        text += (text.empty() ? "" : "\n\n") + p;
    }
    if (!text.empty()) {
        ctx_.notice(text);
    }
    // The room may be left half right, which the journal keeps beside the write's own line.
    if (!result_.verified()) {
        ctx_.journal_note(unverified_line(title_, result_));
    }
    finished_.publish(result_);
}

}  // namespace kestra

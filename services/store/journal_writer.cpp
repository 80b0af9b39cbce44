#include "store/journal_writer.h"

#include "store/data_folder.h"

namespace kestra {

JournalWriter::JournalWriter(std::string folder, NoticeSink& notices)
    : folder_(std::move(folder)), notices_(notices) {}

bool JournalWriter::open(std::string& error) {
    if (file_) {
        return true;
    }
    if (!DataFolder::ensure(folder_, error)) {
        return false;
    }
    file_ = std::make_unique<JournalFile>(folder_);
    return true;
}

bool JournalWriter::write_waiting(TimePoint now) {
    std::string error;
    if (!open(error)) {
        if (!failing_) {
            failing_ = true;
            notices_.notice(std::string(kFailed) + error, NoticeSink::kCaption);
        }
        return false;
    }
    while (!waiting_.empty()) {
        if (!file_->append(waiting_.front(), now)) {
            if (!failing_) {
                failing_ = true;
                notices_.notice(std::string(kFailed) + file_->error(), NoticeSink::kCaption);
            }
            return false;
        }
        waiting_.pop_front();
    }
    if (failing_) {
        failing_ = false;
        std::string text = kWorksAgain;
        if (dropped_ > 0) {
            text += " " + std::to_string(dropped_) + " older lines could not be kept.";
            dropped_ = 0;
        }
        notices_.notice(text, NoticeSink::kCaption);
    }
    return true;
}

void JournalWriter::append(const JournalLine& line, TimePoint now) {
    waiting_.push_back(line);
    if (waiting_.size() > kMaxWaiting) {
        waiting_.pop_front();
        ++dropped_;
    }
    write_waiting(now);
}

void JournalWriter::tick(TimePoint now) {
    if (!waiting_.empty()) {
        write_waiting(now);
    }
    flush(now);
}

void JournalWriter::flush(TimePoint now, bool force) {
    if (file_) {
        file_->flush(now, force);
    }
}

}  // namespace kestra

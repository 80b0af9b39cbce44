#include "store/journal_file.h"

#include "history/journal_line_codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace kestra {

namespace {

// A line with its twenty fields of long names stays well below this.
constexpr std::size_t kLongestLine = 4096;

std::string reason() {
    return std::strerror(errno);
}

bool write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

JournalFile::JournalFile(std::string folder, std::size_t rotate_bytes)
    : folder_(std::move(folder)), rotate_bytes_(rotate_bytes) {}

JournalFile::~JournalFile() {
    if (fd_ >= 0) {
        ::fsync(fd_);
        ::close(fd_);
    }
}

std::string JournalFile::path() const {
    return folder_ + "/" + kFileName;
}

std::string JournalFile::rotated_path() const {
    return folder_ + "/" + kRotatedName;
}

std::string JournalFile::encode(const JournalLine& line) {
    return JournalLineCodec::encode(line);
}

bool JournalFile::open() {
    if (fd_ >= 0) {
        return true;
    }
    fd_ = ::open(path().c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = path() + ": " + reason();
        return false;
    }
    struct stat st {};
    size_ = ::fstat(fd_, &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
    // A crash may have left a torn line; the next one starts on a line of its own (the file
    // is opened for reading too, to look at its last byte).
    if (size_ > 0) {
        char last = '\n';
        if (::pread(fd_, &last, 1, static_cast<off_t>(size_ - 1)) == 1 && last != '\n') {
            write_all(fd_, "\n");
            ++size_;
        }
    }
    return true;
}

void JournalFile::rotate() {
    ++rotations_;
    ::fsync(fd_);
    ::close(fd_);
    fd_ = -1;
    if (std::rename(path().c_str(), rotated_path().c_str()) != 0) {
        error_ = path() + ": " + reason();
    }
}

bool JournalFile::append(const JournalLine& line, TimePoint now) {
    if (!open()) {
        return false;
    }
    const std::string text = encode(line) + "\n";
    if (!write_all(fd_, text)) {
        error_ = path() + ": " + reason();
        // Opened again by the next line, which then starts after whatever part got out.
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ += text.size();
    unsynced_ = true;
    if (size_ >= rotate_bytes_) {
        rotate();
        unsynced_ = false;
        last_sync_ = now;
        return true;
    }
    flush(now);
    return true;
}

void JournalFile::flush(TimePoint now, bool force) {
    if (fd_ < 0 || !unsynced_ || (!force && now - last_sync_ < kSyncInterval)) {
        return;
    }
    ::fsync(fd_);
    unsynced_ = false;
    last_sync_ = now;
}

std::vector<JournalLine> JournalFile::read(const std::string& path, std::size_t last_n,
                                           std::size_t* skipped, std::uintmax_t end) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    // Only the stretch before `end` that holds `last_n` lines of the longest kind is read, the
    // first (cut) line of that stretch left out.
    const std::uintmax_t size = in ? static_cast<std::uintmax_t>(in.tellg()) : 0;
    const std::uintmax_t stop = std::min(size, end);
    const std::uintmax_t tail = last_n * kLongestLine;
    const std::uintmax_t from = stop > tail ? stop - tail : 0;
    std::string stretch(static_cast<std::size_t>(stop - from), '\0');
    in.seekg(static_cast<std::streamoff>(from));
    in.read(stretch.data(), static_cast<std::streamsize>(stretch.size()));
    std::istringstream text_in(stretch);
    if (from > 0) {
        std::string cut;
        std::getline(text_in, cut);
    }
    std::deque<JournalLine> lines;
    std::size_t bad = 0;
    for (std::string text; std::getline(text_in, text);) {
        if (text.empty()) {
            continue;
        }
        std::optional<JournalLine> line = JournalLineCodec::decode(text);
        if (!line) {
            ++bad;
            continue;
        }
        lines.push_back(std::move(*line));
        if (lines.size() > last_n) {
            lines.pop_front();
        }
    }
    if (skipped != nullptr) {
        *skipped = bad;
    }
    return {std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end())};
}

}  // namespace kestra

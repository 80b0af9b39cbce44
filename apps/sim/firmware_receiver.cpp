#include "firmware_receiver.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "protocol/command_encoder.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"

namespace kestra::sim {

namespace {

constexpr std::size_t kChecksumBytes = 2;

bool all_hex(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

bool decimal_target(std::string_view s, int& target) {
    if (s != "0" && s != "1") {
        return false;
    }
    target = s[0] - '0';
    return true;
}

}  // namespace

std::vector<std::string> FirmwareReceiver::on_frame(char letter,
                                                    const std::vector<std::string_view>& fields) {
    if (letter == 'S') {
        return on_start(fields);
    }
    if (letter == 'T') {
        return on_block(fields);
    }
    return {};
}

std::vector<std::string> FirmwareReceiver::on_start(const std::vector<std::string_view>& f) {
    if (mode_ == FirmwareMode::fail_s || f.size() != 5 || !all_hex(f[3]) || !all_hex(f[4])) {
        return {};
    }
    int target = 0;
    if (!decimal_target(f[2], target) || f[4].empty() || f[4].size() > 7) {
        return {};
    }
    const auto length = static_cast<std::size_t>(hex_group_value(f[4]));
    const auto announced = static_cast<std::size_t>(hex_group_value(f[3]));
    if (length == 0 || announced != (length + kUpdateBlockSize - 1) / kUpdateBlockSize) {
        return {};
    }
    open_ = true;
    target_ = target;
    length_ = length;
    next_block_ = 0;
    padding_ok_ = true;
    stream_.clear();
    return {FrameBuilder('S').hex2(1).finish()};
}

std::vector<std::string> FirmwareReceiver::on_block(const std::vector<std::string_view>& f) {
    if (!open_ || mode_ == FirmwareMode::fail_t || f.size() != 5) {
        return {};
    }
    int target = 0;
    if (!decimal_target(f[2], target) || target != target_ || !all_hex(f[3]) ||
        hex_group_value(f[3]) != next_block_ || f[4].size() != 2 * kUpdateBlockSize ||
        !all_hex(f[4])) {
        return {};
    }
    const std::vector<uint8_t> block = hex_to_bytes(f[4]);
    const std::size_t wanted = length_ + kChecksumBytes - stream_.size();
    const std::size_t take = std::min(wanted, block.size());
    stream_.insert(stream_.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(take));
    padding_ok_ = padding_ok_ && std::all_of(block.begin() + static_cast<std::ptrdiff_t>(take),
                                             block.end(), [](uint8_t b) { return b == 0; });
    const int answered = next_block_++;
    if (stream_.size() == length_ + kChecksumBytes) {
        complete();
    }
    return {FrameBuilder('Y').hex2(1).hex2(answered).finish()};
}

void FirmwareReceiver::complete() {
    open_ = false;
    const uint16_t crc = frame_crc16_update(0xFFFF, stream_.data(), length_);
    ReceivedImage image{target_, length_, stream_, false, padding_ok_};
    image.checksum_ok = stream_[length_] == (crc >> 8) && stream_[length_ + 1] == (crc & 0xFF);
    int result = image.checksum_ok && image.padding_ok ? kResultOk : kResultBadImage;
    if (mode_ == FirmwareMode::fail_u) {
        result = kResultRefused;
    }
    done_ = std::move(image);
    report_ = FrameBuilder('U').hex2(1).hex2(result).finish();
}

std::optional<ReceivedImage> FirmwareReceiver::take_image() {
    return std::exchange(done_, std::nullopt);
}

std::optional<std::string> FirmwareReceiver::take_report() {
    return std::exchange(report_, std::nullopt);
}

}  // namespace kestra::sim

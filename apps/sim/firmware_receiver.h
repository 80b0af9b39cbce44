#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::sim {

enum class FirmwareMode {
    normal,
    fail_s,  // never answers "S"
    fail_t,  // answers "S" but no block
    fail_u,  // takes everything, then reports a non-zero result
};

// An image as the processor received it: the image bytes followed by their two checksum
// bytes, high byte first (the zero padding of the last block is not kept).
struct ReceivedImage {
    int target = 0;
    std::size_t length = 0;  // of the image, as "S" announced it
    std::vector<uint8_t> stream;
    bool checksum_ok = false;
    bool padding_ok = false;
};

// The processor's side of the firmware transfer: "S" opens an image, "T" blocks must come in
// order for the announced target, and once the image and its checksum are complete the end
// report "%U" is due with result 00 (01 for a wrong checksum or padding, 05 in fail_u).
// A frame that does not fit gets no answer, so the sender runs into its time-out.
class FirmwareReceiver {
public:
    static constexpr int kResultOk = 0;
    static constexpr int kResultBadImage = 1;
    static constexpr int kResultRefused = 5;

    explicit FirmwareReceiver(FirmwareMode mode = FirmwareMode::normal) : mode_(mode) {}

    // `fields` as split by the simulator: the letter, "01", then the data fields.
    std::vector<std::string> on_frame(char letter, const std::vector<std::string_view>& fields);

    // The image completed by the last block, once.
    std::optional<ReceivedImage> take_image();
    // The end report owed after that block, once; the simulator sends it a little later, as
    // a processor does once its flash is written.
    std::optional<std::string> take_report();

    FirmwareMode mode() const { return mode_; }

private:
    std::vector<std::string> on_start(const std::vector<std::string_view>& fields);
    std::vector<std::string> on_block(const std::vector<std::string_view>& fields);
    void complete();

    FirmwareMode mode_;
    bool open_ = false;
    int target_ = 0;
    std::size_t length_ = 0;
    int next_block_ = 0;
    bool padding_ok_ = true;
    std::vector<uint8_t> stream_;
    std::optional<ReceivedImage> done_;
    std::optional<std::string> report_;
};

}  // namespace kestra::sim

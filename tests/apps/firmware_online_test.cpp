#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "protocol/frame_codec.h"
#include "run_process.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;
using testing::BackgroundProcess;
using testing::run_process;

constexpr const char* kControllerImage = "Digital-Velombrix.bin";
constexpr const char* kDspImage = "LSBF_DSP21489_Velombrix.bin";
// The processor's waits shortened tenfold: a whole update takes about two seconds.
constexpr const char* kUpdate = "firmware update --time-scale 0.1\n";

int base_port() {
    static int next = 47000 + (getpid() % 500) * 10;
    return next += 2;
}

std::vector<uint8_t> bytes_of(std::size_t n, unsigned seed) {
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = static_cast<uint8_t>((i * 151 + seed) ^ (i >> 7));
    }
    return v;
}

std::vector<uint8_t> read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A data folder with both images, a virtual processor writing what it receives, and the shell.
struct Bench {
    explicit Bench(const std::string& firmware_mode = "normal")
        : root(fs::temp_directory_path() /
               ("kestra-fw-online-" + std::to_string(getpid()) + "-" + std::to_string(++count))),
          port(base_port()) {
        fs::create_directories(root / "data");
        fs::create_directories(root / "received");
        sim = std::make_unique<BackgroundProcess>(
            KESTRA_SIM_PATH,
            std::vector<std::string>{"--listen", "127.0.0.6:" + std::to_string(port), "--firmware",
                                     firmware_mode, "--firmware-dir", (root / "received").string(),
                                     "--log", (root / "sim.log").string(), "--exit-after", "60"});
        ready = sim->first_line().rfind("listening", 0) == 0;
    }
    ~Bench() {
        sim.reset();
        fs::remove_all(root);
    }
    void put(const char* name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(root / "data" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    testing::ProcessResult shell(const std::string& input) const {
        return run_process(
            KESTRA_CTL_PATH,
            {"--device", "127.0.0.6:" + std::to_string(port), "--local-port",
             std::to_string(port + 1), "--data-dir", (root / "data").string(), "shell"},
            input);
    }
    std::vector<uint8_t> received(int target) const {
        return read_all(root / "received" / ("target" + std::to_string(target) + ".bin"));
    }
    std::vector<std::string> wire() const {
        std::vector<std::string> data;
        std::ifstream f(root / "sim.log");
        for (std::string line; std::getline(f, line);) {
            data.push_back(nlohmann::json::parse(line)["data"]);
        }
        return data;
    }

    static inline int count = 0;
    fs::path root;
    int port;
    std::unique_ptr<BackgroundProcess> sim;
    bool ready = false;
};

// What the processor must hold: the image byte for byte, then its CRC-16 high byte first.
void expect_image_with_checksum(const std::vector<uint8_t>& got,
                                const std::vector<uint8_t>& image) {
    ASSERT_EQ(got.size(), image.size() + 2);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), got.begin()));
    const uint16_t crc = frame_crc16(reinterpret_cast<const char*>(image.data()), image.size());
    EXPECT_EQ(got[image.size()], crc >> 8);
    EXPECT_EQ(got[image.size() + 1], crc & 0xFF);
}

class FirmwareOnline : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FirmwareOnline, BothImagesArriveByteForByteWithTheirChecksums) {
    const std::size_t size = GetParam();
    Bench bench;
    ASSERT_TRUE(bench.ready);
    const auto controller = bytes_of(size, 1);
    const auto dsp = bytes_of(size, 2);
    bench.put(kControllerImage, controller);
    bench.put(kDspImage, dsp);

    const auto r = bench.shell(kUpdate);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("Current version\xEF\xBC\x9A"
                         "2.3\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Update successfully\n"), std::string::npos);
    EXPECT_NE(r.err.find("notice: Update successfully"), std::string::npos);
    expect_image_with_checksum(bench.received(1), controller);
    expect_image_with_checksum(bench.received(0), dsp);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FirmwareOnline, ::testing::Values(1000, 1024, 2047, 2048));

TEST(FirmwareOnlineSession, ConnectionIsDroppedBeforeThePortIsTaken) {
    Bench bench;
    ASSERT_TRUE(bench.ready);
    bench.put(kControllerImage, bytes_of(2048, 3));
    bench.put(kDspImage, bytes_of(10, 4));
    const auto r = bench.shell(std::string("connect\n") + kUpdate + "dump\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("\"connected\": 0"), std::string::npos);

    const auto wire = bench.wire();
    const auto start = std::find_if(wire.begin(), wire.end(),
                                    [](const std::string& d) { return d.rfind("%S,", 0) == 0; });
    ASSERT_NE(start, wire.end());
    // After the connection: reports off twice, then the version query on the firmware socket.
    const std::vector<std::string> before(wire.begin(), start);
    const std::vector<std::string> expected{"%Q,01,00,25E0#", "%Z,01,F143#",    "%Q,01,01,B5E1#",
                                            "%Q,01,00,25E0#", "%Q,01,00,25E0#", "%Z,01,F143#"};
    EXPECT_EQ(before, expected);
    char crc[8];
    std::snprintf(crc, sizeof crc, "%04X", frame_crc16("%S,01,1,02,00800,"));
    EXPECT_EQ(*start, std::string("%S,01,1,02,00800,") + crc + "#");
}

class FirmwareOnlineFailure : public ::testing::TestWithParam<const char*> {};

TEST_P(FirmwareOnlineFailure, EndsInUpdateFail) {
    Bench bench(GetParam());
    ASSERT_TRUE(bench.ready);
    bench.put(kControllerImage, bytes_of(1500, 5));
    bench.put(kDspImage, bytes_of(1500, 6));
    const auto r = bench.shell(kUpdate);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("notice: update fail\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Update successfully"), std::string::npos);
    EXPECT_TRUE(bench.received(0).empty());  // the DSP image is never started
    if (std::string(GetParam()) == "fail-u") {
        // The processor's report is shown before the failure.
        EXPECT_NE(r.err.find("notice: %U,01,05,"), std::string::npos) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, FirmwareOnlineFailure,
                         ::testing::Values("fail-s", "fail-t", "fail-u"));

TEST(FirmwareOnlineImages, MissingImageFailsBeforeAnythingIsSent) {
    Bench bench;
    ASSERT_TRUE(bench.ready);
    bench.put(kControllerImage, bytes_of(100, 7));
    const auto r = bench.shell(kUpdate);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("LSBF_DSP21489_Velombrix.bin was not found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("notice: update fail"), std::string::npos);
    EXPECT_TRUE(bench.wire().empty());
}

}  // namespace
}  // namespace kestra

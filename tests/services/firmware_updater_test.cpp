#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "firmware/firmware_updater.h"
#include "support/recording_notices.h"
#include "support/scripted_answers.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("kestra-fw-" + std::to_string(getpid()) + "-" + std::to_string(++n));
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    void write(const std::string& name, std::size_t size) const {
        std::ofstream(path / name, std::ios::binary) << std::string(size, 'x');
    }
    fs::path path;
};

// A socket holding a loopback port, standing for a control socket that has not let go.
class HeldPort {
public:
    HeldPort() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~HeldPort() { ::close(fd_); }
    uint16_t port = 0;

private:
    int fd_;
};

// The updater on its owner thread; nothing here starts a transfer thread.
struct Updater : ::testing::Test {
    Updater()
        : updater(
              lock, {[this] { ++port_requests; }, [this] { return port_free; }},
              [this](std::function<void()> f) { posted.push_back(std::move(f)); }, notices,
              questions, clock) {
        settings.image_folders = {images.path};
        settings.device = *DeviceEndpoint::parse("127.0.0.9:39040");
        sub = updater.status().subscribe(
            [this](const UpdateStatus& s) { phases.push_back(s.phase); });
    }
    void both_images() {
        images.write("Digital-Velombrix.bin", 2048);
        images.write("LSBF_DSP21489_Velombrix.bin", 1000);
    }

    MaintenanceLock lock;
    int port_requests = 0;
    bool port_free = false;
    std::vector<std::function<void()>> posted;
    testing::RecordingNotices notices;
    testing::ScriptedAnswers questions;
    ManualClock clock;
    TempFolder images;
    FirmwareUpdater::Settings settings;
    FirmwareUpdater updater;
    std::vector<UpdateStatus::Phase> phases;
    Publisher<UpdateStatus>::Subscription sub;
};

TEST_F(Updater, PressWhileARecoveryRunsIsRefusedWithItsText) {
    both_images();
    lock.begin(MaintenanceLock::Kind::Recovery);
    EXPECT_FALSE(updater.start_local_update(settings));
    EXPECT_EQ(notices.texts, std::vector<std::string>{"Reseting device......."});
    EXPECT_TRUE(questions.asked.empty());
    EXPECT_EQ(port_requests, 0);
    EXPECT_FALSE(updater.running());
}

TEST_F(Updater, SecondPressWhileAnUpdateRunsIsRefusedAndChangesNothing) {
    both_images();
    ASSERT_TRUE(updater.start_local_update(settings));
    EXPECT_EQ(questions.asked, std::vector<std::string>{"If do you update the device? "});
    EXPECT_EQ(port_requests, 1);
    EXPECT_TRUE(lock.busy());
    EXPECT_TRUE(updater.running());

    EXPECT_FALSE(updater.start_local_update(settings));
    EXPECT_EQ(notices.texts, std::vector<std::string>{"Updateing......."});
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(port_requests, 1);
    EXPECT_TRUE(updater.running());
}

TEST_F(Updater, DeclinedQuestionLeavesEverythingAsItWas) {
    both_images();
    questions.answer = false;
    EXPECT_FALSE(updater.start_local_update(settings));
    EXPECT_EQ(port_requests, 0);
    EXPECT_FALSE(lock.busy());
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(Updater, MissingImageIsNamedBeforeTheConnectionIsGivenUp) {
    images.write("Digital-Velombrix.bin", 2048);
    EXPECT_FALSE(updater.start_local_update(settings));
    EXPECT_EQ(notices.texts,
              (std::vector<std::string>{
                  "The firmware image LSBF_DSP21489_Velombrix.bin was not found.", "update fail"}));
    EXPECT_EQ(port_requests, 0);
    EXPECT_FALSE(lock.busy());
    EXPECT_FALSE(updater.running());
}

TEST_F(Updater, EmptyImageIsRefused) {
    images.write("Digital-Velombrix.bin", 0);
    images.write("LSBF_DSP21489_Velombrix.bin", 10);
    EXPECT_FALSE(updater.start_local_update(settings));
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_NE(notices.texts[0].find("is empty"), std::string::npos);
    EXPECT_FALSE(lock.busy());
}

TEST_F(Updater, TransferWaitsForTheFreePortAndTheSettleTimeThenReportsATakenPort) {
    both_images();
    const HeldPort held;
    ASSERT_NE(held.port, 0);
    settings.local_port = held.port;

    ASSERT_TRUE(updater.start_local_update(settings));
    clock.advance(5s);
    updater.tick();  // the port is not free yet
    EXPECT_EQ(phases, std::vector<UpdateStatus::Phase>{UpdateStatus::Phase::Requested});

    ASSERT_TRUE(updater.start_local_update(settings) == false);  // still refused meanwhile
    port_free = true;
    updater.tick();

    EXPECT_EQ(phases, (std::vector<UpdateStatus::Phase>{UpdateStatus::Phase::Requested,
                                                        UpdateStatus::Phase::Finished}));
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"Updateing.......",
                                                       "Winsock error! Address already in use, "
                                                       "port " +
                                                           std::to_string(held.port)}));
    EXPECT_EQ(notices.captions.back(), "Warming");
    EXPECT_FALSE(lock.busy());
    EXPECT_FALSE(updater.running());
    EXPECT_EQ(updater.last_result(), std::nullopt);
    EXPECT_TRUE(posted.empty());
}

TEST_F(Updater, TransferDoesNotStartBeforeTheSettleTime) {
    both_images();
    port_free = true;
    const HeldPort held;  // a start shows at once as a failed bind
    settings.local_port = held.port;
    ASSERT_TRUE(updater.start_local_update(settings));
    clock.advance(settings.timing.release_settle - 1ms);
    updater.tick();
    EXPECT_EQ(phases, std::vector<UpdateStatus::Phase>{UpdateStatus::Phase::Requested});
    EXPECT_TRUE(notices.texts.empty());
    clock.advance(1ms);
    updater.tick();
    EXPECT_EQ(phases.back(), UpdateStatus::Phase::Finished);
}

TEST(FirmwareImages, TheFirstFolderHoldingTheFileWins) {
    TempFolder data, program;
    program.write("Digital-Velombrix.bin", 5);
    auto found = FirmwareImage::load("Digital-Velombrix.bin", 1, {data.path, program.path});
    ASSERT_TRUE(std::holds_alternative<FirmwareImage>(found));
    EXPECT_EQ(std::get<FirmwareImage>(found).path, program.path / "Digital-Velombrix.bin");
    EXPECT_EQ(std::get<FirmwareImage>(found).bytes.size(), 5u);

    data.write("Digital-Velombrix.bin", 7);
    found = FirmwareImage::load("Digital-Velombrix.bin", 1, {data.path, program.path});
    ASSERT_TRUE(std::holds_alternative<FirmwareImage>(found));
    EXPECT_EQ(std::get<FirmwareImage>(found).bytes, std::vector<uint8_t>(7, 'x'));
    EXPECT_EQ(std::get<FirmwareImage>(found).target, 1);
}

TEST(FirmwareImages, SearchGoesDataFolderThenProgramFolderThenInstalledShareFolder) {
    const auto folders =
        FirmwareImage::search_folders("/home/op/.local/share/kestra-v", "/opt/k/bin");
    const std::vector<fs::path> expected{"/home/op/.local/share/kestra-v", "/opt/k/bin",
                                         "/opt/k/share/kestra-v"};
    EXPECT_EQ(folders, expected);
    EXPECT_EQ(FirmwareImage::search_folders("d", "/usr/bin").back(),
              fs::path("/usr/share/kestra-v"));
}

TEST(FirmwareImages, InstalledShareFolderIsTakenOnlyWhenNeitherOtherFolderHasTheImage) {
    TempFolder data, tree;
    const fs::path bin = tree.path / "bin";
    const fs::path share = tree.path / "share" / "kestra-v";
    fs::create_directories(bin);
    fs::create_directories(share);
    std::ofstream(share / "LSBF_DSP21489_Velombrix.bin", std::ios::binary) << "shared";
    const auto folders = FirmwareImage::search_folders(data.path, bin);

    auto found = FirmwareImage::load("LSBF_DSP21489_Velombrix.bin", 0, folders);
    ASSERT_TRUE(std::holds_alternative<FirmwareImage>(found)) << std::get<std::string>(found);
    EXPECT_TRUE(
        fs::equivalent(std::get<FirmwareImage>(found).path, share / "LSBF_DSP21489_Velombrix.bin"));
    EXPECT_EQ(std::get<FirmwareImage>(found).bytes.size(), 6u);

    std::ofstream(bin / "LSBF_DSP21489_Velombrix.bin", std::ios::binary) << "beside";
    found = FirmwareImage::load("LSBF_DSP21489_Velombrix.bin", 0, folders);
    ASSERT_TRUE(std::holds_alternative<FirmwareImage>(found));
    EXPECT_EQ(std::get<FirmwareImage>(found).path, bin / "LSBF_DSP21489_Velombrix.bin");

    data.write("LSBF_DSP21489_Velombrix.bin", 3);
    found = FirmwareImage::load("LSBF_DSP21489_Velombrix.bin", 0, folders);
    ASSERT_TRUE(std::holds_alternative<FirmwareImage>(found));
    EXPECT_EQ(std::get<FirmwareImage>(found).bytes, std::vector<uint8_t>(3, 'x'));
}

TEST(UdpUpdateLink, TakesNoPortHeldByAnotherSocketAndStopsAtOnceWhenCancelled) {
    const HeldPort held;
    const auto device = *DeviceEndpoint::parse("127.0.0.9:39040");
    int error = 0;
    EXPECT_EQ(UdpUpdateLink::open(held.port, device, &error), nullptr);
    EXPECT_EQ(error, EADDRINUSE);

    auto link = UdpUpdateLink::open(0, device);
    ASSERT_NE(link, nullptr);
    link->cancel();
    EXPECT_TRUE(link->cancelled());
    EXPECT_FALSE(link->send("%Z,01,F143#"));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(link->receive(std::chrono::hours(1)));
    link->pause(std::chrono::hours(1));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::minutes(1));
}

}  // namespace
}  // namespace kestra

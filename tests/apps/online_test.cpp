#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "run_process.h"

namespace kestra {
namespace {

using testing::BackgroundProcess;
using testing::run_process;

// Each test takes its own ports, so test processes can run side by side.
int base_port() {
    static int next = 42000 + (getpid() % 500) * 20;
    return next += 4;
}

std::string tmp_log() {
    static int n = 0;
    return (std::filesystem::temp_directory_path() /
            ("kestra-sim-" + std::to_string(getpid()) + "-" + std::to_string(++n) + ".log"))
        .string();
}

std::vector<nlohmann::json> read_log(const std::string& path) {
    std::vector<nlohmann::json> lines;
    std::ifstream f(path);
    for (std::string line; std::getline(f, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

struct Sim {
    Sim(const std::string& address, int port, const std::string& mode = "normal")
        : log(tmp_log()),
          process(KESTRA_SIM_PATH, {"--listen", address + ":" + std::to_string(port), "--mode",
                                    mode, "--log", log, "--exit-after", "60"}) {
        ready = process.first_line().rfind("listening", 0) == 0;
    }
    ~Sim() { std::filesystem::remove(log); }
    std::vector<std::string> received() {
        std::vector<std::string> data;
        for (const auto& l : read_log(log)) {
            data.push_back(l["data"]);
        }
        return data;
    }
    std::string log;
    BackgroundProcess process;
    bool ready = false;
};

testing::ProcessResult ctl(int device_port, int local_port, const std::vector<std::string>& args,
                           const std::string& input = {}, const std::string& host = "127.0.0.5") {
    std::vector<std::string> all{"--device", host + ":" + std::to_string(device_port),
                                 "--local-port", std::to_string(local_port)};
    all.insert(all.end(), args.begin(), args.end());
    return run_process(KESTRA_CTL_PATH, all, input);
}

TEST(KestraCtlOnline, PullConnectsReadsTheSimulatorsStateAndDisconnects) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"pull"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto state = nlohmann::json::parse(r.out);
    EXPECT_EQ(state["system"]["connected"], 1);
    EXPECT_EQ(state["system"]["device_text"], "23");
    EXPECT_EQ(state["inputs"][3]["gain_step"], 3);  // the simulator's own values
    EXPECT_EQ(state["system"]["automix_cfg"][1], 4);
    // On the wire: reports off, read-all, reports on after "Y", reports off at the end.
    EXPECT_EQ(sim.received(), (std::vector<std::string>{"%Q,01,00,25E0#", "%Z,01,F143#",
                                                        "%Q,01,01,B5E1#", "%Q,01,00,25E0#"}));
}

TEST(KestraCtlOnline, LevelsArriveAsJsonLinesAndStopOnDisconnect) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"levels", "--count", "4"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::istringstream lines(r.out);
    int n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j["inputs"].size(), 64u);
        EXPECT_EQ(j["outputs"].size(), 16u);
        EXPECT_EQ(j["active"].size(), 32u);
        for (int v : j["inputs"]) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 70);
        }
    }
    EXPECT_EQ(n, 4);
    EXPECT_EQ(sim.received().back(), "%Q,01,00,25E0#");
}

TEST(KestraCtlOnline, ShellSetsFadersOnTheProcessorAndReportsBadLines) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "# a comment\n\nconnect\nset input 3 volume 12\nset output 1 mute 1\n"
                       "set input 3 volume 71\nfrobnicate\nwait 50\ndump\ndisconnect\n");
    EXPECT_EQ(r.exit_code, 1);  // two lines failed, the rest went on
    EXPECT_NE(r.err.find("error: set: volume 71"), std::string::npos);
    EXPECT_NE(r.err.find("error: unknown command 'frobnicate'"), std::string::npos);
    const auto state = nlohmann::json::parse(r.out);
    EXPECT_EQ(state["inputs"][2]["volume"], 12);
    const auto data = sim.received();
    EXPECT_NE(std::find(data.begin(), data.end(), "%A,01,03,00,0C,E477#"), data.end());
    // Output 1 travels as channel 65 (0x41).
    EXPECT_TRUE(std::any_of(data.begin(), data.end(), [](const std::string& d) {
        return d.rfind("%A,01,41,01,1E,", 0) == 0;
    }));
}

TEST(KestraCtlOnline, ShellDisconnectLetsTheWholeSyncBurstLeaveThenTurnsReportsOff) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "connect\nset system automix_sync 1\nset input 7 automix_threshold 20\n"
                       "disconnect\n");
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the log catches up
    const auto data = sim.received();
    const auto is_l = [](const std::string& d) { return d.rfind("%L,", 0) == 0; };
    EXPECT_EQ(std::count_if(data.begin(), data.end(), is_l), 32);
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back(), "%Q,01,00,25E0#");
    const auto last_l = std::find_if(data.rbegin(), data.rend(), is_l);
    EXPECT_EQ(last_l - data.rbegin(), 1);  // "Q" 00 follows the burst's last frame
}

bool received_frame(const std::vector<std::string>& data, const std::string& body) {
    return std::any_of(data.begin(), data.end(),
                       [&](const std::string& d) { return d.rfind(body, 0) == 0; });
}

TEST(KestraCtlOnline, ShellAssignsUnitsAndTypesIntoTheReadout) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "connect\nunit select 3\nunit assign 1 CH05\nunit select 5\n"
                       "unit assign 3 ch05\nunit select 7\nunit call\n"
                       "type 4 3 -70\ntype 39 6 25000\nreadout 39 6\ntype 82 42 30\n"
                       "typefreq 1 23 640\nreadout 1 23\nreadout 64 3\n"
                       "set system automix_cfg[2] 100\nwait 100\ndump\ndisconnect\n");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("notice: Already select.\nerror: unit assign: CH05 stands in another"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("error: unit: unit button 7 is not enabled"), std::string::npos);
    EXPECT_NE(r.err.find("error: channel 64 does not exist"), std::string::npos);
    EXPECT_NE(r.err.find("notice: Set successfully."), std::string::npos);

    std::istringstream out(r.out);
    std::string line;
    std::getline(out, line);
    EXPECT_EQ(line, "WTU-300-02\tNULL\tNULL\tNULL\tNULL\tNULL");
    std::getline(out, line);
    EXPECT_EQ(line, "WTU-300-04\tNULL\tNULL\tNULL\tNULL\tNULL");
    std::getline(out, line);
    EXPECT_EQ(line, "BAND1 FRE\t20000Hz");
    std::getline(out, line);
    EXPECT_EQ(line.substr(0, 6), "BAND2\t");
    EXPECT_EQ(line.substr(line.size() - 6), "\t640HZ");
    const auto state = nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(out), {}));
    EXPECT_EQ(state["system"]["unit_table"][10], 5);
    EXPECT_EQ(state["inputs"][4]["volume"], 0);
    EXPECT_EQ(state["outputs"][2]["lim_ratio"], 100);
    EXPECT_EQ(state["system"]["automix_cfg"][2], 100);

    const auto data = sim.received();
    EXPECT_TRUE(received_frame(data, "%X,01,02,05FFFFFFFF,"));
    EXPECT_TRUE(received_frame(data, "%W,01,04,"));
    EXPECT_TRUE(received_frame(data, "%A,01,05,00,00,"));
    EXPECT_TRUE(received_frame(data, "%D,01,03,00,64,"));
    EXPECT_TRUE(received_frame(data, "%M,01,00,04,01,64,1E,1B,"));
    EXPECT_FALSE(received_frame(data, "%G,01,28,"));  // input 40 has no PEQ command
    EXPECT_EQ(std::count_if(data.begin(), data.end(),
                            [](const std::string& d) { return d.rfind("%X", 0) == 0; }),
              1);
}

TEST(KestraCtlOnline, ShellRunsTheBlockButtonsAndScriptedBlockFields) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "connect\ncomp 1 reset\nlim 16 on\nlim 16 on\ngeq 3 on\npeq 2 bypass\n"
                       "set input 1 peq_band[0].gain 180\npeq 2 frob\ncomp 0 reset\n"
                       "wait 400\ndump\ndisconnect\n");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("error: usage: peq N reset|bypass"), std::string::npos);
    EXPECT_NE(r.err.find("error: channel"), std::string::npos) << r.err;
    const auto state = nlohmann::json::parse(r.out);
    EXPECT_EQ(state["inputs"][0]["comp_threshold"], 30);
    EXPECT_EQ(state["outputs"][15]["lim_on"], 1);
    EXPECT_EQ(state["outputs"][2]["geq_on"], 1);
    EXPECT_EQ(state["inputs"][1]["peq_band"][0]["gain"], 150);
    const auto data = sim.received();
    const auto count = [&](const std::string& frame) {
        return std::count(data.begin(), data.end(), frame);
    };
    EXPECT_EQ(count("%C,01,01,01,0A,1E,64,64,00,072F#"), 1);
    EXPECT_EQ(count("%D,01,10,01,0A,00,01,14,00,9E40#"), 1);  // the second "on" presses nothing
    EXPECT_EQ(count("%H,01,03,01,4B4B4B4B4B4B4B4B4B4B4B4B4B4B4B,FB96#"), 1);
    EXPECT_EQ(count("%E,01,02,00,02,4E20,02,01,FB5B#"), 1);
    EXPECT_EQ(count("%G,01,02,01,01,01,00C8,4B,64,4D15#"), 1);
    EXPECT_EQ(count("%G,01,01,01,01,01,00C8,5A,64,8923#"), 1);
}

TEST(KestraCtlOnline, ShellGroupsRoutesAndNamesReachTheProcessor) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "connect\n"
                       "group control 1 member input 3 on\n"
                       "group control 1 member input 5 on\n"
                       "group control 1 member input 40 on\n"
                       "group control 1 link VOL on\n"
                       "group control 1 link LIMIT on\n"
                       "group control 1 activate on\n"
                       "set input 3 volume 12\n"
                       "route 12 3 on\n"
                       "group mute 2 member input 7 on\n"
                       "group mute 2 activate on\n"
                       "rename input 3 Podium 1\n"
                       "rename input 4 ABCDEFGHI\n"
                       "wait 100\ndisconnect\n");
    EXPECT_EQ(r.exit_code, 1);  // three lines failed
    EXPECT_NE(r.err.find("error: group: input 40 cannot change"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("error: group: link LIMIT is not offered"), std::string::npos);
    EXPECT_NE(r.err.find("notice: Channel name is too long."), std::string::npos);
    const auto data = sim.received();
    const auto sent = [&](const std::string& prefix) {
        return std::any_of(data.begin(), data.end(),
                           [&](const std::string& d) { return d.rfind(prefix, 0) == 0; });
    };
    // The fader of CH3 is copied to CH5 of its active group; CH7 is muted by its mute group.
    const auto ch3 = std::find(data.begin(), data.end(), "%A,01,03,00,0C,E477#");
    ASSERT_NE(ch3, data.end());
    ASSERT_NE(ch3 + 1, data.end());
    EXPECT_EQ((ch3 + 1)->rfind("%A,01,05,00,0C,", 0), 0u);
    EXPECT_FALSE(sent("%A,01,28,00,0C,"));
    EXPECT_TRUE(sent("%B,01,0C,0010000000000000,"));
    EXPECT_TRUE(sent("%A,01,07,01,"));
    EXPECT_TRUE(sent("%V,01,03,"));

    // The processor applied what it received.
    const auto pulled = ctl(port, port + 1, {"pull"});
    ASSERT_EQ(pulled.exit_code, 0) << pulled.err;
    const auto state = nlohmann::json::parse(pulled.out);
    EXPECT_EQ(state["inputs"][4]["volume"], 12);
    EXPECT_EQ(state["inputs"][11]["matrix_row"][2], 1);
    EXPECT_EQ(state["inputs"][6]["mute"], 1);
    EXPECT_EQ(state["inputs"][2]["short_name"], "Podium 1");
    EXPECT_NE(state["inputs"][3]["short_name"], "ABCDEFGHI");
}

TEST(KestraCtlOnline, ShellGetsAndSetsParametersByPathInTheirDisplayUnit) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"shell"},
                       "connect\n"
                       "set in.3.volume -10\n"
                       "set in.3.peq.2.freq 1k\n"
                       "set in.3.mute on\n"
                       "set out.2.volume 30\n"
                       "set in.3.volume loud\n"
                       "set in.99.volume 0\n"
                       "set sys.automix.mode 3\n"
                       "set group.control.1.member.in.3 on\n"
                       "set in.3.name Podium 1\n"
                       "get in.3.peq.2.freq\n"
                       "get group.control.1.member.in.*\n"
                       "wait 100\ndisconnect\n");
    EXPECT_EQ(r.exit_code, 1);  // three lines failed
    EXPECT_NE(r.err.find("error: set: in.3.volume: VOL:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("error: set: no parameter 'in.99.volume'"), std::string::npos);
    EXPECT_NE(r.err.find("error: set: sys.automix.mode: no control sets it"), std::string::npos);
    // Each set prints the value applied, limited to the range: +30 dB becomes +10 dB.
    EXPECT_NE(r.out.find("in.3.volume\t-10dB\t50\n"
                         "in.3.peq.2.freq\t1000Hz\t1000\n"
                         "in.3.mute\tOPEN\t1\n"
                         "out.2.volume\t10dB\t70\n"
                         "group.control.1.member.in.3\ton\t1\n"
                         "in.3.name\tPodium 1\tPodium 1\n"
                         "in.3.peq.2.freq\t1000Hz\t1000\n"
                         "group.control.1.member.in.1\toff\t0\n"),
              std::string::npos)
        << r.out;
    const auto data = sim.received();
    const auto sent = [&](const std::string& prefix) {
        return std::any_of(data.begin(), data.end(),
                           [&](const std::string& d) { return d.rfind(prefix, 0) == 0; });
    };
    // The volume's frame still waiting is replaced by the mute's, which carries both.
    EXPECT_TRUE(sent("%A,01,03,01,32,")) << ::testing::PrintToString(data);
    EXPECT_TRUE(std::any_of(data.begin(), data.end(), [](const std::string& d) {
        return d.rfind("%G,01,03,", 0) == 0 &&
               d.find(",02,01,03E8,") == 11;  // after the PEQ switch
    }));
    EXPECT_TRUE(sent("%A,01,42,00,46,"));
    EXPECT_TRUE(sent("%V,01,03,"));
    EXPECT_FALSE(sent("%M,"));
}

TEST(KestraCtlOnline, ProcessorThatNeverCompletesLeavesTheAwaitingState) {
    const int port = base_port();
    Sim sim("127.0.0.5", port, "z-only");
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"pull"});
    EXPECT_NE(r.exit_code, 0);
    EXPECT_EQ(r.err.find("CANNOT CONNECT."), std::string::npos);
    EXPECT_NE(r.err.find("did not complete"), std::string::npos);
    const auto data = sim.received();
    EXPECT_EQ(std::count(data.begin(), data.end(), "%Z,01,F143#"), 1);  // no request repeated
}

TEST(KestraCtlOnline, SilentProcessorEndsInCannotConnectAfterThreeRequests) {
    const int port = base_port();
    Sim sim("127.0.0.5", port, "silent");
    ASSERT_TRUE(sim.ready);
    const auto r = ctl(port, port + 1, {"pull"});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_NE(r.err.find("CANNOT CONNECT."), std::string::npos);
    const auto data = sim.received();
    EXPECT_EQ(std::count(data.begin(), data.end(), "%Z,01,F143#"), 3);
}

TEST(KestraCtlOnline, DiscoveryFindsEachSimulatorOnceAndProbesOnlyTheSweep) {
    const int port = base_port();
    Sim a("127.0.0.5", port);
    Sim b("127.0.0.9", port);
    ASSERT_TRUE(a.ready && b.ready);
    const auto r = run_process(
        KESTRA_CTL_PATH, {"--local-port", std::to_string(port + 1), "discover", "--host-address",
                          "127.0.0.1", "--port", std::to_string(port), "--wait", "1"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string expected =
        "127.0.0.5\t" + std::to_string(port) + "\n127.0.0.9\t" + std::to_string(port) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(a.received(), (std::vector<std::string>{"%R,01,04,F0A2#", "%R,01,04,F0A2#"}));
}

// A stranger on another loopback address keeps sending a valid level report to the shell's
// control port; bounded to 2 s.
class StrangerSender {
public:
    explicit StrangerSender(int to_port) : thread_([this, to_port] { run(to_port); }) {}
    ~StrangerSender() {
        stop_ = true;
        thread_.join();
    }

private:
    void run(int to_port) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = inet_addr("127.0.0.9");
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(to_port));
        to.sin_addr.s_addr = inet_addr("127.0.0.1");
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        const std::string report = "%Q,01,01,B5E1#";
        for (int i = 0; i < 40 && !stop_; ++i) {
            ::sendto(fd, report.data(), report.size(), 0, reinterpret_cast<sockaddr*>(&to),
                     sizeof to);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::close(fd);
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(KestraCtlOnline, StatusNamesTheProcessorAndCountsTheDatagramsOfOtherSenders) {
    const int port = base_port();
    Sim sim("127.0.0.5", port);
    ASSERT_TRUE(sim.ready);
    StrangerSender stranger(port + 1);
    const auto r = ctl(port, port + 1, {"shell"}, "connect\nwait 800\nstatus\ndisconnect\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string processor = "processor\t127.0.0.5:" + std::to_string(port) + "\n";
    EXPECT_NE(r.out.find("connection\tCONNECTED\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(processor), std::string::npos) << r.out;
    const auto at = r.out.find("foreign_datagrams\t");
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_GT(std::stoi(r.out.substr(at + 18)), 0) << r.out;
}

TEST(KestraCtlOnline, RefusesAnAddressThatIsNotDottedIpv4) {
    for (const char* bad : {"192.168.1", "localhost", "1.2.3.4:99999", "255.255.255.255x"}) {
        const auto r = run_process(KESTRA_CTL_PATH, {"--device", bad, "pull"});
        EXPECT_EQ(r.exit_code, 2) << bad;
        EXPECT_NE(r.err.find("--device"), std::string::npos);
    }
}

}  // namespace
}  // namespace kestra

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "run_process.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;
using testing::BackgroundProcess;
using testing::run_process;

int base_port() {
    static int next = 47000 + (getpid() % 500) * 20;
    return next += 4;
}

fs::path temp_path(const std::string& what) {
    static int n = 0;
    return fs::temp_directory_path() /
           ("kestra-store-online-" + std::to_string(getpid()) + "-" + std::to_string(++n) + what);
}

// One received datagram: the simulator's arrival time in ms and its text.
struct Arrival {
    double ms;
    std::string data;
};

std::vector<Arrival> read_log(const fs::path& path) {
    std::vector<Arrival> out;
    std::ifstream f(path);
    for (std::string line; std::getline(f, line);) {
        const auto j = nlohmann::json::parse(line);
        out.push_back({j["t"].get<double>() * 1000.0, j["data"].get<std::string>()});
    }
    return out;
}

// A frame joined from its pieces: arrival of the first and of the last piece.
struct Frame {
    std::string text;
    double first_ms;
    double last_ms;
};

std::vector<Frame> join(const std::vector<Arrival>& arrivals) {
    std::vector<Frame> frames;
    std::string pending;
    double first = 0;
    for (const Arrival& a : arrivals) {
        if (pending.empty()) {
            first = a.ms;
        }
        pending += a.data;
        if (a.data.find('#') != std::string::npos) {
            frames.push_back({pending, first, a.ms});
            pending.clear();
        }
    }
    return frames;
}

std::string hex2(int v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v);
    return b;
}

// Letter and selector of each command of the whole-state write order, with the pause after it
// (on top of the 10 ms frame gap).
std::vector<std::pair<std::string, double>> write_order(double name_pause) {
    std::vector<std::pair<std::string, double>> e;
    e.emplace_back("Q00", 20);
    for (int i = 0; i <= 10; ++i)
        e.emplace_back("X" + hex2(i), 100);
    for (int n = 1; n <= 80; ++n) {
        e.emplace_back("V" + hex2(n), name_pause);
        e.emplace_back("A" + hex2(n), 20);
    }
    for (int n = 33; n <= 64; ++n)
        e.emplace_back("O" + hex2(n - 32), 20);
    for (int n = 1; n <= 64; ++n) {
        e.emplace_back("B" + hex2(n), 20);
        e.emplace_back("U" + hex2(n), 20);
        if (n <= 32) {
            for (const char* l : {"C", "E", "F", "L"})
                e.emplace_back(l + hex2(n), 20);
        }
    }
    for (int m = 1; m <= 16; ++m) {
        for (const char* l : {"D", "H", "I", "J"})
            e.emplace_back(l + hex2(m), 20);
        if (m <= 8)
            e.emplace_back("K" + hex2(m), 20);
    }
    for (int n = 1; n <= 32; ++n) {
        for (int b = 1; b <= 4; ++b)
            e.emplace_back("G" + hex2(n) + hex2(b), 20);
    }
    e.emplace_back("M", 20);
    e.emplace_back("Q01", 20);
    return e;
}

std::string address(const std::string& frame) {
    const char letter = frame[1];
    if (letter == 'M') {
        return "M";
    }
    std::string a = std::string(1, letter) + frame.substr(6, 2);
    return letter == 'G' ? a + frame.substr(12, 2) : a;
}

TEST(StoreOnline, SceneRecallWritesTheWholeStateWriteOrderWithItsPauses) {
    const int port = base_port();
    const fs::path log = temp_path(".log");
    const fs::path data = temp_path("-data");
    BackgroundProcess sim(KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port),
                                            "--log", log.string(), "--exit-after", "90"});
    ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
    const auto r = run_process(
        KESTRA_CTL_PATH,
        {"--device", "127.0.0.6:" + std::to_string(port), "--local-port", std::to_string(port + 1),
         "--data-dir", data.string(), "shell"},
        "set input 5 volume 17\nscene save Gäste'1\nconnect\nscene recall 1\ndisconnect\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "1:Gäste'1\n");
    EXPECT_NE(r.err.find("sent 662 of 662 commands"), std::string::npos) << r.err;

    const std::vector<Arrival> arrivals = read_log(log);
    const std::vector<Frame> frames = join(arrivals);
    // Connection: reports off, read-all, reports on; then the transfer; then reports off.
    ASSERT_EQ(frames.size(), 3u + 662u + 1u);
    const auto expected = write_order(150);
    // The simulator stamps a datagram when it reads it, a few ms late at times, which shortens
    // the gap after it; from the start of the transfer on, no frame can come early.
    constexpr double kReadJitter = 8.0;
    double due = frames[3].first_ms;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Frame& f = frames[3 + i];
        EXPECT_EQ(address(f.text), expected[i].first) << "command " << i;
        EXPECT_GE(f.first_ms, due - 3.0) << "command " << i << " came early";
        const double pieces =
            10.0 * static_cast<double>(f.text.size() > 256 ? (f.text.size() - 1) / 256 : 0);
        due += pieces + expected[i].second + 10;
        const double gap = frames[3 + i + 1].first_ms - f.last_ms;
        EXPECT_GE(gap, expected[i].second + 10 - kReadJitter) << "after " << f.text.substr(0, 10);
    }
    EXPECT_EQ(frames[3 + 12 + 2 * 4 + 1].text.substr(0, 15), "%A,01,05,00,11,")
        << "the recalled fader of input 5";
    // Name pieces follow each other at the frame gap.
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        if (arrivals[i - 1].data.find('#') == std::string::npos) {
            EXPECT_GE(arrivals[i].ms - arrivals[i - 1].ms, 10.0 - kReadJitter);
        }
    }
    fs::remove(log);
    fs::remove_all(data);
}

TEST(StoreOnline, ShellListsPresetsAndScenesAndRecoversOffline) {
    const fs::path data = temp_path("-data");
    // No desktop trash for the child: a deleted scene stays beside the data folder.
    ::setenv("XDG_DATA_HOME", (data / "xdg").c_str(), 1);
    const auto r = run_process(KESTRA_CTL_PATH, {"--data-dir", data.string(), "shell"},
                               "preset PEQ save 1\npreset PEQ save 2 O'Neil\n"
                               "preset Compressor save 33\npreset GEQ list\npreset NOISE list\n"
                               "preset PEQ rename 1 Zoë\npreset PEQ list\n"
                               "set input 1 volume 3\npreset PEQ delete 2\npreset PEQ list\n"
                               "scene save\nscene save\nscene delete 1\nscene list\n"
                               "scene recall 7\nrecovery\ndump\n");
    EXPECT_EQ(r.exit_code, 1);  // the refused lines
    EXPECT_NE(r.err.find("error: channel: 33 is outside 1..32"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("error: unknown preset table 'NOISE'"), std::string::npos);
    EXPECT_NE(r.err.find("error: scene: no scene 7"), std::string::npos);
    EXPECT_NE(r.err.find("notice: Reset successfully."), std::string::npos);
    const std::string listed =
        "1:SAVE1\n2:O'Neil\n1:Zoë\n2:O'Neil\n1:Zoë\n1:SAVE1\n2:SAVE2\n2:SAVE2\n";
    ASSERT_EQ(r.out.substr(0, listed.size()), listed);
    const auto state = nlohmann::json::parse(r.out.substr(listed.size()));
    EXPECT_EQ(state["inputs"][0]["volume"], 60) << "factory value after the recovery";
    EXPECT_TRUE(fs::exists(data / "Tabla540.db"));
    EXPECT_TRUE(fs::exists(data / "SAVE2.dat"));
    EXPECT_FALSE(fs::exists(data / "SAVE1.dat"));
    EXPECT_TRUE(fs::is_directory(data / "deleted"));
    fs::remove_all(data);
}

}  // namespace
}  // namespace kestra

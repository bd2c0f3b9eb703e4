// The author's loop, timed end to end on the built programs in a game folder
// of their own, each time from outside the process:
// - F5 to the edited page shown: the demo with a line of its first page
//   edited after its conversion, qRun in author mode at that page's wait; from
//   the F5 (headless: the picture of the wait before it is written; window:
//   before xdotool presses it) to the picture of the page's wait again
//   (--capture), which the engine writes once the page is drawn;
// - --from the last line of a 1 MiB scenario to its first painted page: from
//   the start of qRun to the picture of that line's wait.
// Pictures are noticed by inotify as they are written. The demo's pauses
// after each line (lineSpeed=150) are set to 0 so that the figure is the
// engine's own time, not the page typed out.
//   bench_author_loop [benchmark options]   (--benchmark_repetitions=10 for medians)
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <algorithm>

#include "common/cp932.h"
#include "support/program.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using qt::test::ProgramFolder;

// The demo as scripts/demo lays it out, converted.
struct Demo : ProgramFolder {
    Demo() : ProgramFolder({"qRun", "qPre"}) {
        copyDemo(QT_DEMO_DIR);
        std::string ini = read("qRun.ini");
        ini.replace(ini.find("lineSpeed=150"), 13, "lineSpeed=0");
        write("qRun.ini", ini);
        original_ = read("chapter1.txt");
    }
    // The sources as shipped, converted; then a line of page 1 changed.
    void convertThenEdit() {
        write("chapter1.txt", original_);
        run("./qPre --batch");
        std::string text = qt::cp932ToUtf8(original_);
        text.replace(text.find("広い草原"), 12, "静かな草原");
        write("chapter1.txt", qt::utf8ToCp932(text));
        fs::remove_all(file("caps"));
        fs::create_directory(file("caps"));
    }

private:
    std::string original_;
};

// Files written (closed) in one folder, as they come.
class Written {
public:
    explicit Written(const std::string& folder) : fd_(inotify_init1(IN_CLOEXEC)) {
        inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE);
    }
    ~Written() { ::close(fd_); }
    // When `name` has been written (noticed); false after 10 s.
    bool waitFor(const std::string& name, Clock::time_point& at) {
        for (;;) {
            for (const auto& [seen, when] : seen_) {
                if (seen != name) continue;
                at = when;
                return true;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) return false;
            alignas(inotify_event) char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            for (ssize_t i = 0; i < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + i);
                if (e->len > 0) seen_.emplace_back(e->name, now);
                i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
    }

private:
    int fd_;
    std::vector<std::pair<std::string, Clock::time_point>> seen_;
};

void stop(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Each iteration's time, and their median as a counter.
class Times {
public:
    explicit Times(benchmark::State& state) : state_(state) {}
    ~Times() {
        if (times_.empty()) return;
        std::sort(times_.begin(), times_.end());
        const size_t n = times_.size();
        state_.counters["median_ms"] = n % 2 ? times_[n / 2] : (times_[n / 2 - 1] + times_[n / 2]) / 2;
        state_.counters["max_ms"] = times_.back();
    }
    void add(Clock::duration d) {
        times_.push_back(ms(d));
        state_.SetIterationTime(times_.back() / 1000);
    }

private:
    benchmark::State& state_;
    std::vector<double> times_;
};

void BM_F5ToEditedPageHeadless(benchmark::State& state) {
    Demo game;
    game.write("keys.txt", "1000 key f5\n");
    Times times(state);
    for (auto _ : state) {
        game.convertThenEdit();
        Written pictures(game / "caps");
        const pid_t pid = qt::test::spawn(
            {"./qRun", "--headless", "--author", "--input", "keys.txt", "--capture", "caps", "--until", "100000"},
            game.path(), {}, "/dev/null", "/dev/null", game / "err.txt");
        Clock::time_point before, after;
        const bool ok = pictures.waitFor("wait-0001.png", before) && pictures.waitFor("wait-0002.png", after);
        stop(pid);
        if (!ok) return state.SkipWithError(("no page after F5: " + game.read("err.txt")).c_str());
        times.add(after - before);
    }
}
BENCHMARK(BM_F5ToEditedPageHeadless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_F5ToEditedPageInTheWindow(benchmark::State& state) {
    if (!qt::test::XSession::missingTool().empty()) return state.SkipWithError("Xvfb, openbox or xdotool missing");
    qt::test::XSession x;
    if (!x.ready()) return state.SkipWithError("no X server");
    Demo game;
    Times times(state);
    for (auto _ : state) {
        game.convertThenEdit();
        Written pictures(game / "caps");
        const pid_t pid = x.start({"./qRun", "--author", "--capture", "caps"}, game.path());
        Clock::time_point shown, after;
        if (!pictures.waitFor("wait-0001.png", shown)) {
            stop(pid);
            return state.SkipWithError(("no first page: " + game.read("err.txt")).c_str());
        }
        const Clock::time_point before = Clock::now();
        x.xdotool("key F5");
        const bool ok = pictures.waitFor("wait-0002.png", after);
        stop(pid);
        if (!ok) return state.SkipWithError(("no page after F5: " + game.read("err.txt")).c_str());
        times.add(after - before);
    }
}
BENCHMARK(BM_F5ToEditedPageInTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A 1 MiB scenario as a long game is made: scenes of a background, a figure,
// the composition and music, then forty pages of three lines, each page ended
// by a page break; the last line is the last page break.
struct LongGame : ProgramFolder {
    LongGame() : ProgramFolder({"qRun", "qPre"}) {
        runBuilt("make_assets", ".");
        write("qRun.ini",
              qt::utf8ToCp932("[main]\nFirstScenario=long.dat\n[screen]\nhUserMDC_num=3\n"
                              "[honbun]\nbasePos=32,,300\nlineSpeed=0\ndarkBackRECT=8,,142,,311,,231,,2\n"));
        write("qPre.ini", "[main]\r\nfinishExit=1\r\n[honbun]\r\npageWidth=56\r\npageHeight=5\r\n");
        const std::string line =
            qt::utf8ToCp932("　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。\r\n");
        std::string source;
        for (int page = 0; source.size() < 1040000; ++page) {
            if (page % 40 == 0) {
                source += page % 80 ? "/curid 1\r\n/e day.bmp, 0, 0, f, f, -2\r\n"
                                    : "/curid 1\r\n/e evening.bmp, 0, 0, f, f, -2\r\n";
                source += "/curid 2\r\n/iro &HFF00FF\r\n/e cat.bmp, 100, 40\r\n/allblt\r\n/bgm music.wav\r\n";
            }
            source += line + line + line + "/\\\r\n";
        }
        write("long.txt", source);
        run("./qPre long.txt");
        const std::string converted = read("long.dat");
        lines = static_cast<int>(std::count(converted.begin(), converted.end(), '\n'));
        sourceLines = static_cast<int>(std::count(source.begin(), source.end(), '\n'));
    }
    int lines = 0, sourceLines = 0;
};

void fromLastLine(benchmark::State& state, bool bySource) {
    LongGame game;
    const std::string from = bySource ? "long.txt:" + std::to_string(game.sourceLines)
                                      : "long.dat:" + std::to_string(game.lines);
    Times times(state);
    for (auto _ : state) {
        fs::remove_all(game / "caps");
        fs::create_directory(game / "caps");
        Written pictures(game / "caps");
        const Clock::time_point start = Clock::now();
        const pid_t pid = qt::test::spawn({"./qRun", "--headless", "--from", from, "--capture", "caps"}, game.path(),
                                          {}, "/dev/null", "/dev/null", game / "err.txt");
        Clock::time_point shown;
        const bool ok = pictures.waitFor("wait-0001.png", shown);
        stop(pid);
        if (!ok) return state.SkipWithError(("no page: " + game.read("err.txt")).c_str());
        times.add(shown - start);
    }
    state.SetLabel(std::to_string(fs::file_size(game / "long.dat")) + " bytes, " + from);
}
void BM_FromLastLineOf1MiBScenario(benchmark::State& state) { fromLastLine(state, false); }
void BM_FromLastSourceLineOf1MiBScenario(benchmark::State& state) { fromLastLine(state, true); }
BENCHMARK(BM_FromLastLineOf1MiBScenario)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_FromLastSourceLineOf1MiBScenario)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_BIN_DIR", QT_BUILT_DIR, 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

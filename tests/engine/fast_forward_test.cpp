// Fast-forward to a line, and author mode's title and F5, on the headless
// backend.
#include <sys/stat.h>

#include <fcntl.h>

#include "common/file_lock.h"
#include "engine/core/message_loop.h"
#include "engine/core/reload.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

namespace vk = platform::vk;
using qt::test::bmp24;

// Two files: pictures on every kind of screen (the presentation screen too,
// over body text), music stopped and played again, effects once and looping,
// a line split by a comma, both kinds of wait.
const std::string kFirst =
    "/curid,1,;\r\n/e,img.bmp,0,0,f,f,-2,;\r\n/curid,2,;\r\n/iro,&HFF00FF,;\r\n/e,img.bmp,10,10,;\r\n/allblt,;\r\n"
    "/bgm,a.wav,;\r\none\r\ntwo\r\n/@,;\r\nthree\r\n/\\,;\r\n/se,a.wav,1,;\r\nfour\r\n/curid,0,;\r\n"
    "/e,img.bmp,0,0,200,100,-2,;\r\nfive\r\n/\\,;\r\n/bgm,:stop,;\r\n/se,a.wav,;\r\nsix,seven\r\n/allbltdirect,;\r\n"
    "eight\r\n/@,;\r\n/next,b.dat,;\r\n";
const std::string kSecond = "nine\r\n/\\,;\r\n/bgm,a.wav,0,;\r\n/curid,-2,;\r\n/iro,&H123456,;\r\nten\r\n/@,;\r\n";

// " " and the FNV-1a of the pixels.
std::string hash(const platform::Surface& s) {
    uint64_t h = 14695981039346656037ull;
    for (int i = 0; i < s.width() * s.height(); ++i) h = (h ^ s.pixel(i % s.width(), i / s.width())) * 1099511628211ull;
    std::string out(1, ' ');
    out += std::to_string(h);
    return out;
}

class FastForwardTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder.write("img.bmp", bmp24(3, 2, {0x0000FF, 0xFF00FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF}));
        folder.write("a.wav", platform::test::wavFile(100));
        folder.write("b.dat", kHeader + kSecond);
    }

    // Start-up on s.dat, fast-forwarding to `file`:`line` when a file is given.
    void startAt(const std::string& body, const std::string& file = "", int32_t line = 0,
                 const std::string& mainKeys = "") {
        folder.write("qRun.ini", "[main]\nFirstScenario=s.dat\ntitle=T\n" + mainKeys +
                                     "[screen]\nhUserMDC_num=3\n[honbun]\nlineSpeed=100\n");
        folder.write("s.dat", kHeader + body);
        makeEngine();
        if (!file.empty()) {
            struct stat st {};
            ASSERT_EQ(::stat(folder.file(file).c_str(), &st), 0);
            interpreter->fastForwardTo({st.st_dev, st.st_ino, line, -1, file + ":" + std::to_string(line)});
        }
        ASSERT_TRUE(startUp(*engine));
    }
    // Steps until a wait, the end or the window's end.
    void toWait() {
        for (int i = 0; i < 100 && engine->runState == kRunning && backend->windowExists() && !interpreter->atEnd();
             ++i)
            interpreter->step();
    }
    // What the page shows and the play goes on from.
    std::string state() {
        std::string s = interpreter->reader.fileName();
        for (const int64_t n : {int64_t{interpreter->reader.lineNumber}, engine->honbun.curX, engine->honbun.curY,
                                int64_t{engine->screens.curID}, int64_t{engine->runState}}) {
            s += ' ';
            s += std::to_string(n);
        }
        for (int id = -2; id <= engine->screens.count(); ++id) s += hash(screen(id));
        s += hash(engine->screens.loading);
        s += hash(engine->clientPicture);
        for (platform::SoundChannel* c : {interpreter->music(), interpreter->effect()}) {
            s += c->isPlaying() ? " playing" : c->isOpen() ? " open" : " closed";
            if (c->loops()) s += "+loop";
        }
        return s;
    }
};

TEST_F(FastForwardTest, EveryWaitReachedAsAFullPlayReachesIt) {
    startAt(kFirst);
    struct Wait {
        std::string file, state;
        int32_t line;
    };
    std::vector<Wait> waits;
    for (toWait(); engine->runState == kWaitingForKey; toWait()) {
        waits.push_back({interpreter->reader.fileName(), state(), interpreter->reader.lineNumber - 1});
        interpreter->keyWait(kKeyDownMessage, vk::space, kFreshKeyData);
    }
    ASSERT_EQ(waits.size(), 6u);
    for (const Wait& w : waits) {
        startAt(kFirst, w.file, w.line);
        const uint32_t clock = backend->tickCount();
        interpreter->step();  // every step up to the wait at once, then the wait
        EXPECT_FALSE(engine->fastForward);
        EXPECT_EQ(backend->tickCount(), clock) << "no pause on the way";
        EXPECT_EQ(engine->waitSerial, 0u) << "waits on the way are no waits";
        toWait();
        EXPECT_EQ(state(), w.state) << w.file << ":" << w.line;
    }
    // The effect played once on the way is still playing by its state, but
    // never sounded; the music sounds from where fast-forward ends.
    startAt(kFirst, "s.dat", 22);
    interpreter->step();
    EXPECT_TRUE(interpreter->effect()->isPlaying() && !interpreter->effect()->isSounding());
    startAt(kFirst, "s.dat", 10);
    interpreter->step();
    EXPECT_TRUE(interpreter->music()->isSounding() && interpreter->music()->loops());
}

TEST_F(FastForwardTest, ATargetNeverReachedIsSaidAndThePlayGoesOnFromWhereItStopped) {
    // clang-format off
    const struct { std::string body; int32_t line; bool window; std::string trace; } cases[] = {
        {"a\r\nb\r\n", 9, true, "fast-forward s.dat:2: a|fast-forward s.dat:3: b"},
        {"a\r\n/end,;\r\nb\r\n", 4, false, "fast-forward s.dat:2: a|fast-forward s.dat:3: /end"},
        // Round and round: the second round is played.
        {"a\r\n/next,s.dat,;\r\nb\r\n", 4, true, "fast-forward s.dat:2: a|fast-forward s.dat:3: /next|s.dat:2: a"},
    };
    // clang-format on
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        startAt(c.body, "s.dat", c.line, "authorMode=1\n");
        std::FILE* trace = std::fopen("trace.txt", "w");
        interpreter->setTrace(trace);
        for (int i = 0; i < 2 && backend->windowExists(); ++i) interpreter->step();
        std::fclose(trace);
        interpreter->setTrace(nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "qRun: --from: the play does not reach s.dat:" + std::to_string(c.line) + "\n");
        EXPECT_FALSE(engine->fastForward);
        EXPECT_EQ(backend->windowExists(), c.window);
        std::string expected = c.trace;
        for (char& ch : expected) ch = ch == '|' ? '\n' : ch;
        EXPECT_EQ(folder.read("trace.txt"), expected + "\n") << c.body;
    }
}

TEST_F(FastForwardTest, AuthorModeTitleNamesThePageAndF5ConvertsAndStartsThere) {
    startAt(kFirst, "s.dat", 13, "authorMode=1\n");
    interpreter->step();
    EXPECT_EQ(backend->windowSpec().titleCp932, utf8ToCp932("T　s.dat:2"));  // the page the target is on
    toWait();
    interpreter->keyWait(kKeyDownMessage, vk::space, kFreshKeyData);
    EXPECT_EQ(backend->windowSpec().titleCp932, utf8ToCp932("T　s.dat:2")) << "the new page has no line yet";
    interpreter->step();
    EXPECT_EQ(backend->windowSpec().titleCp932, utf8ToCp932("T　s.dat:14"));
    toWait();

    // A failed conversion: its words in a box, the play where it was and the
    // scenario held again; qPre ran while it was let go.
    const std::string before = state();
    bool heldDuring = true;
    engine->convertSources = [&](std::string& messages) {
        LockedFile probe;
        heldDuring = probe.open(folder.file("s.dat"), O_RDONLY, LockKind::exclusive) != OpenStatus::ok;
        messages =
            "\n s.txt\t→\ts.dat\r\nエラー　s.txt　LINE:3: 命令引数] ダブルクォーテーションの終端が見つかりません\n";
        return 1;
    };
    windowProcedure(*engine, {EventType::keyUp, vk::f5, kReleaseKeyData});
    EXPECT_FALSE(heldDuring);
    EXPECT_EQ(
        boxes(),
        "qPre | \n s.txt → s.dat\nエラー　s.txt　LINE:3: 命令引数] ダブルクォーテーションの終端が見つかりません\n");
    EXPECT_EQ(state(), before);
    LockedFile probe;
    EXPECT_EQ(probe.open(folder.file("s.dat"), O_RDONLY, LockKind::exclusive), OpenStatus::sharingViolation);

    // A good one: the run ends to start again at the page's first line.
    engine->convertSources = [](std::string&) { return 0; };
    windowProcedure(*engine, {EventType::keyUp, vk::f5, kReleaseKeyData});
    EXPECT_EQ(engine->runState, kRestarting);
    EXPECT_FALSE(backend->windowExists());
    EXPECT_EQ(engine->restartFrom, folder.file("s.dat") + ":14");
    EXPECT_TRUE(engine->reloaded);
    // A page whose file is gone by then: the game from its beginning.
    startAt(kFirst, "", 0, "authorMode=1\n");
    toWait();
    engine->convertSources = [&](std::string&) { return std::filesystem::remove(folder.file("s.dat")) ? 0 : 1; };
    windowProcedure(*engine, {EventType::keyUp, vk::f5, kReleaseKeyData});
    EXPECT_TRUE(engine->reloaded && engine->runState == kRestarting);
    EXPECT_EQ(engine->restartFrom, "");

    // Without author mode F5 is just a key.
    startAt(kFirst);
    toWait();
    windowProcedure(*engine, {EventType::keyUp, vk::f5, kReleaseKeyData});
    EXPECT_TRUE(backend->windowExists());
    EXPECT_EQ(backend->windowSpec().titleCp932, "T");
}

}  // namespace
}  // namespace qt::engine::test

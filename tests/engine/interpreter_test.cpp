#include "engine/interpreter/interpreter.h"

#include <cstdio>

#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class InterpreterTest : public EngineTest {
protected:
    void TearDown() override {
        if (trace_ != nullptr) std::fclose(trace_);
        EngineTest::TearDown();
    }

    // Starts on `body` after the header and runs steps until the scenario
    // ends, waits, or the window is gone.
    void play(const std::string& body, const std::string& ini = "[honbun]\nlineSpeed=0\n") {
        if (trace_ != nullptr) std::fclose(trace_);
        ASSERT_TRUE(start(kHeader + body, ini));
        trace_ = std::tmpfile();
        interpreter->setTrace(trace_);
        runUntilStopped();
    }

    void runUntilStopped() {
        for (int i = 0; i < 200 && engine->runState == kRunning && backend->windowExists() &&
                        !interpreter->atEnd();
             ++i) {
            interpreter->step();
        }
    }

    std::vector<std::string> trace() {
        std::vector<std::string> lines;
        std::rewind(trace_);
        char line[4096];
        while (std::fgets(line, sizeof line, trace_) != nullptr) {
            std::string s(line);
            if (!s.empty() && s.back() == '\n') s.pop_back();
            lines.push_back(s);
        }
        return lines;
    }

    // "caption | text" of every box.
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < texts().size(); ++i) out.push_back(captions()[i] + " | " + texts()[i]);
        return out;
    }

    std::FILE* trace_ = nullptr;
};

struct StepCase {
    std::string name;
    std::string body;
    std::vector<std::string> trace;
    std::vector<std::string> boxes;
    bool windowAfter = true;
    int32_t runState = kRunning;
};

TEST_F(InterpreterTest, Table) {
    const std::string tooMany = "命令引数が多すぎます。あるいは ; を忘れています";
    const std::string cap = "エラー　s.dat　LINE:";
    const StepCase cases[] = {
        {"body text", "one\r\ntwo\r\n", {"s.dat:2: one", "s.dat:3: two"}, {}},
        {"empty fields", "a,,b\r\n", {"s.dat:2: a", "s.dat:3: ", "s.dat:4: b"}, {}},
        {"command with ;", "/allblt,;\r\nx\r\n", {"s.dat:2: /allblt", "s.dat:3: x"}, {}},
        {"argument in place of ;", "/allblt,1,;\r\nx\r\n",
         {"s.dat:2: /allblt", "s.dat:3: ;", "s.dat:4: x"}, {}},
        {"unknown word", "/foo,1,2,;\r\nx\r\n", {"s.dat:2: /foo", "s.dat:3: x"},
         {cap + "2 | 存在しない命令があります\n/foo"}},
        {"unknown word skips to the end", "a\r\n/foo,1,2", {"s.dat:2: a", "s.dat:3: /foo"},
         {cap + "3 | 存在しない命令があります\n/foo"}, false},
        {"unknown word whose ; ends the file", "/foo,;", {"s.dat:2: /foo"},
         {cap + "2 | 存在しない命令があります\n/foo"}, false},
        {"upper case", "/END,;\r\nx\r\n", {"s.dat:2: /END", "s.dat:3: x"},
         {cap + "2 | 存在しない命令があります\n/END"}},
        {"slash alone", "/,;\r\nx\r\n", {"s.dat:2: /", "s.dat:3: x"},
         {cap + "2 | 存在しない命令があります\n/"}},
        {"no prefix match", "/allbltdirec,;\r\n/ende,;\r\n", {"s.dat:2: /allbltdirec", "s.dat:3: /ende"},
         {cap + "2 | 存在しない命令があります\n/allbltdirec", cap + "3 | 存在しない命令があります\n/ende"},
         false},
        {"ten arguments", "/curid,1,2,3,4,5,6,7,8,9,10,;\r\nx\r\n", {"s.dat:2: /curid", "s.dat:3: x"}, {}},
        {"eleven arguments", "/curid,1,2,3,4,5,6,7,8,9,10,11,;\r\nx\r\n",
         {"s.dat:2: /curid", "s.dat:3: ;", "s.dat:4: x"}, {cap + "2 | " + tooMany}},
        {"forgotten ; before a command", "/curid,1\r\n/@,;\r\nx\r\n", {"s.dat:2: /curid", "s.dat:3: x"}, {}},
        {"forgotten ; before a command with arguments", "/curid,1\r\n/curid,2,;\r\nx\r\n",
         {"s.dat:2: /curid", "s.dat:3: ;", "s.dat:4: x"}, {cap + "2 | " + tooMany}},
        {"file ends inside the arguments", "/curid,1", {"s.dat:2: /curid"}, {}},
        {"file ends after the last slot", "/curid,1,2,3,4,5,6,7,8,9,10", {"s.dat:2: /curid"},
         {cap + "2 | " + tooMany}},
        {"file ends after a command field", "/curid,1,/@", {"s.dat:2: /curid"}, {cap + "2 | " + tooMany}},
        {"page break", "a\r\n/\\,;\r\nb\r\n", {"s.dat:2: a", "s.dat:3: /\\"}, {}, true, kWaitingForKey},
        {"key wait", "/@,;\r\nb\r\n", {"s.dat:2: /@"}, {}, true, kWaitingForKey},
        {"end", "x\r\n/end,;\r\ny\r\n", {"s.dat:2: x", "s.dat:3: /end"}, {}, false},
        {"line number of the tenth step", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n/x,;\r\n",
         {"s.dat:2: 1", "s.dat:3: 2", "s.dat:4: 3", "s.dat:5: 4", "s.dat:6: 5", "s.dat:7: 6",
          "s.dat:8: 7", "s.dat:9: 8", "s.dat:10: 9", "s.dat:11: /x"},
         {cap + "11 | 存在しない命令があります\n/x"},
         false},
        {"blank tail", "a\r\n   \t", {"s.dat:2: a"}, {}},
        {"body text beginning with ;", ";x\r\n", {"s.dat:2: ;x"}, {}},
    };
    for (const StepCase& c : cases) {
        play(c.body);
        EXPECT_EQ(trace(), c.trace) << c.name;
        EXPECT_EQ(boxes(), c.boxes) << c.name;
        EXPECT_EQ(backend->windowExists(), c.windowAfter) << c.name;
        EXPECT_EQ(engine->runState, c.runState) << c.name;
        interpreter->step();  // a step at the end of the file does nothing
        if (c.runState == kRunning && c.windowAfter) {
            EXPECT_EQ(trace(), c.trace) << c.name;
        }
    }
}

TEST_F(InterpreterTest, BodyTextMovesDownAndPauses) {
    ASSERT_TRUE(start(kHeader + "one\r\n,\r\nthree\r\n", "[honbun]\nlineSpeed=250\n"));
    const uint32_t t0 = backend->tickCount();
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 64);
    EXPECT_EQ(backend->tickCount() - t0, 250u);
    EXPECT_EQ(interpreter->lineNumber(), 3);
    interpreter->step();
    interpreter->step();  // an empty line still moves and pauses
    EXPECT_EQ(engine->honbun.curY, 24 + 3 * 40);
    EXPECT_EQ(backend->tickCount() - t0, 750u);
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 24 + 4 * 40);
    EXPECT_EQ(backend->tickCount() - t0, 1000u);
}

TEST_F(InterpreterTest, NegativeLineSpeedDoesNotSleep) {
    ASSERT_TRUE(start(kHeader + "one\r\n", "[honbun]\nlineSpeed=-1\n"));
    const uint32_t t0 = backend->tickCount();
    interpreter->step();
    EXPECT_EQ(backend->tickCount(), t0);
}

TEST_F(InterpreterTest, BodyTextIsDrawnWithItsShadowAndShownAtOnce) {
    ASSERT_TRUE(start(kHeader + "\x81\xA1\x81\xA1\r\n",
                      "[honbun]\nlineSpeed=0\nfontColors=&H00ff00,,&Hff0000,,&H80000000\n"));
    interpreter->step();
    const platform::Surface& p = screen(0);
    int text = 0, shadow = 0, textTop = 1000, shadowTop = 1000;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (p.pixel(x, y) == 0x00ff00u) {
                ++text;
                textTop = std::min(textTop, y);
            }
            if (p.pixel(x, y) == 0xff0000u) {
                ++shadow;
                shadowTop = std::min(shadowTop, y);
            }
        }
    }
    EXPECT_GT(text, 20);
    EXPECT_GT(shadow, 0);
    EXPECT_GE(textTop, 24);
    EXPECT_LT(textTop, 44);
    EXPECT_EQ(shadowTop, textTop + 1);
    // The window shows the line before the pause.
    EXPECT_EQ(backend->clientPicture().pixel(0, 0), p.pixel(0, 0));
    int shown = 0;
    for (int x = 0; x < 100; ++x) shown += backend->clientPicture().pixel(x, textTop) == 0x00ff00u;
    EXPECT_GT(shown, 0);
}

TEST_F(InterpreterTest, CuridIroAndNext) {
    folder.write("b.dat", kHeader + "B\r\n");
    play("/curid,-2,;\r\n/@,;\r\n");
    EXPECT_EQ(engine->screens.curID, -2);

    play("/curid,3,;\r\n/curid,&H1,;\r\n/iro,&HFF0000,;\r\n/iro,1,2,;\r\n/curid,1.9,;\r\n/curid,;\r\n/@,;\r\n");
    EXPECT_EQ(boxes(), (std::vector<std::string>{"エラー　s.dat　LINE:2 | ID指定が異常です /curID",
                                                 "エラー　s.dat　LINE:5 | 引数の個数が異常です\t/iro"}));
    EXPECT_EQ(screen(1).pixel(319, 239), 0xFF0000u);
    EXPECT_EQ(engine->screens.curID, 0);

    play("/curid,0,;\r\n/iro,&H00FF00,;\r\n/@,;\r\n");  // window size on the presentation
    EXPECT_EQ(screen(0).pixel(639, 479), 0x00FF00u);
    EXPECT_EQ(screen(1).pixel(0, 0), 0xFF00FFu);

    play("a\r\n/next,nothing.dat,;\r\nb\r\n/next,b.dat,;\r\nnot reached\r\n");
    EXPECT_EQ(trace(), (std::vector<std::string>{"s.dat:2: a", "s.dat:3: /next", "s.dat:4: b",
                                                 "s.dat:5: /next", "b.dat:2: B"}));
    EXPECT_EQ(boxes(), std::vector<std::string>{"エラー　s.dat　LINE:3 | 指定のファイルパスは無効です\t/next"});
}

TEST_F(InterpreterTest, ArgumentSlotsAreCutToTheirSize) {
    CommandArgs args;
    args.clear();
    const std::string path(300, 'p'), numeral(40, '7');
    EXPECT_TRUE(args.append(path.c_str()));
    EXPECT_TRUE(args.append(path.c_str()));
    EXPECT_TRUE(args.append(numeral.c_str()));
    EXPECT_EQ(std::string(args.slot(0)), path.substr(0, 260));
    EXPECT_EQ(std::string(args.slot(2)), numeral.substr(0, 32));
    // A cut never splits a two-byte character.
    EXPECT_TRUE(args.append("7777777777777777777777777777777\x82\xA0"));
    EXPECT_EQ(std::string(args.slot(3)), std::string(31, '7'));
    for (int i = 4; i < 10; ++i) EXPECT_TRUE(args.append("1"));
    EXPECT_FALSE(args.append("1"));
    EXPECT_EQ(args.count, 10);
    EXPECT_STREQ(args.slot(9), "1");
    EXPECT_STREQ(args.slot(10), "");
    args.clear();
    EXPECT_EQ(args.count, 0);
    EXPECT_STREQ(args.slot(0), "");
    EXPECT_STREQ(args.slot(9), "");
}

TEST_F(InterpreterTest, GatheringFillsTenSlotsAndEmptiesTheRest) {
    play("/curid,a,b,c,d,e,f,g,h,i,j,;\r\n/curid,x,;\r\n/@,;\r\n");
    const CommandArgs& a = interpreter->commandArgs;
    EXPECT_EQ(a.count, 1);
    EXPECT_STREQ(a.slot(0), "x");
    for (int i = 1; i < 10; ++i) EXPECT_STREQ(a.slot(i), "");
}

}  // namespace
}  // namespace qt::engine::test

// Interpreter steps, the command table, argument gathering and the key wait.
#include "engine/core/message_loop.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

namespace vk = platform::vk;

class InterpreterTest : public EngineTest {};

TEST_F(InterpreterTest, Steps) {
    const std::string many = "命令引数が多すぎます。あるいは ; を忘れています\n";
    const std::string unknown = "存在しない命令があります\n/";
    auto at = [](int line) { return "エラー　s.dat　LINE:" + std::to_string(line) + " | "; };
    // clang-format off
    struct Case { std::string body, trace, boxes; bool window; int32_t state; };
    const Case cases[] = {
        {"one\r\ntwo\r\n", "2: one|3: two", "", true, kRunning}, {"a,,b\r\n", "2: a|3: |4: b", "", true, kRunning},
        {"/allblt,;\r\nx\r\n", "2: /allblt|3: x", "", true, kRunning},
        {"/allblt,1,;\r\nx\r\n", "2: /allblt|3: ;|4: x", "", true, kRunning},
        {"/foo,1,2,;\r\nx\r\n", "2: /foo|3: x", at(2) + unknown + "foo\n", true, kRunning},
        {"a\r\n/foo,1,2", "2: a|3: /foo", at(3) + unknown + "foo\n", false, kRunning},
        {"/foo,;", "2: /foo", at(2) + unknown + "foo\n", false, kRunning},
        {"/END,;\r\nx\r\n", "2: /END|3: x", at(2) + unknown + "END\n", true, kRunning},
        {"/,;\r\nx\r\n", "2: /|3: x", at(2) + unknown + "\n", true, kRunning},
        {"/allbltdirec,;\r\n/ende,;\r\nx\r\n", "2: /allbltdirec|3: /ende|4: x",
         at(2) + unknown + "allbltdirec\n" + at(3) + unknown + "ende\n", true, kRunning},
        {"/curid,1,2,3,4,5,6,7,8,9,10,;\r\nx\r\n", "2: /curid|3: x", "", true, kRunning},
        {"/curid,1,2,3,4,5,6,7,8,9,10,11,;\r\nx\r\n", "2: /curid|3: ;|4: x", at(2) + many, true, kRunning},
        {"/curid,1\r\n/@,;\r\nx\r\n", "2: /curid|3: x", "", true, kRunning},
        {"/curid,1\r\n/curid,2,;\r\nx\r\n", "2: /curid|3: ;|4: x", at(2) + many, true, kRunning},
        {"/curid,1", "2: /curid", "", true, kRunning},
        {"/curid,1,2,3,4,5,6,7,8,9,10", "2: /curid", at(2) + many, true, kRunning},
        {"/curid,1,/@", "2: /curid", at(2) + many, true, kRunning},
        {"a\r\n/\\,;\r\nb\r\n", "2: a|3: /\\", "", true, kWaitingForKey},
        {"/@,;\r\nb\r\n", "2: /@", "", true, kWaitingForKey},
        {"x\r\n/end,;\r\ny\r\n", "2: x|3: /end", "", false, kRunning},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n/x,;\r\nz\r\n",
         "2: 1|3: 2|4: 3|5: 4|6: 5|7: 6|8: 7|9: 8|10: 9|11: /x|12: z", at(11) + unknown + "x\n", true, kRunning},
        {"a\r\n   \t", "2: a", "", true, kRunning}, {";x\r\n", "2: ;x", "", true, kRunning},
    };
    // clang-format on
    for (const Case& c : cases) {
        play(c.body);
        std::string expected;
        for (size_t from = 0, to; from <= c.trace.size(); from = to + 1) {
            to = std::min(c.trace.find('|', from), c.trace.size());
            expected += "s.dat:" + c.trace.substr(from, to - from) + "\n";
        }
        EXPECT_EQ(trace(), expected) << c.body;
        EXPECT_EQ(boxes(), c.boxes) << c.body;
        EXPECT_EQ(backend->windowExists(), c.window) << c.body;
        EXPECT_EQ(engine->runState, c.state) << c.body;
    }
}

TEST_F(InterpreterTest, BodyTextIsDrawnWithItsShadowMovesDownAndPauses) {
    ASSERT_TRUE(start(kHeader + "\x81\xA1\x81\xA1\r\n,\r\nx\r\n",
                      "[honbun]\nlineSpeed=250\nfontColors=&H00ff00,,&Hff0000,,&H80000000\n"));
    const uint32_t t0 = backend->tickCount();
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 64);
    EXPECT_EQ(backend->tickCount() - t0, 250u);
    int textTop = 1000, shadowTop = 1000;
    for (int i = 0; i < 100 * 100; ++i) {  // what the window shows before the pause: drawn at once
        const platform::ColorRef p = engine->clientPicture.pixel(i % 100, i / 100);
        if (p == 0x00ff00u) textTop = std::min(textTop, i / 100);
        if (p == 0xff0000u) shadowTop = std::min(shadowTop, i / 100);
    }
    EXPECT_TRUE(textTop >= 24 && textTop < 44) << textTop;
    EXPECT_EQ(shadowTop, textTop + 1);
    interpreter->step();  // an empty line still moves and pauses
    EXPECT_EQ(engine->honbun.curY, 104);
    EXPECT_EQ(backend->tickCount() - t0, 500u);
    play("a\r\n", "[honbun]\nlineSpeed=-1\n");  // never an endless sleep
    EXPECT_LT(backend->tickCount(), 10u);
}

TEST_F(InterpreterTest, ArgumentSlotsAreCutToTheirSize) {
    const std::string path(300, 'p'), numeral(40, '7'), kana = std::string(31, '7') + "\x82\xA0";
    play("/curid," + path + ",x," + numeral + "," + kana + ",4,5,6,7,8,9,;\r\n/@,;\r\n");
    const CommandArgs& a = interpreter->commandArgs;
    // Never written past a slot, never half a character left.
    EXPECT_EQ(std::string(a.slot(0)) + a.slot(2) + "|" + a.slot(3) + a.slot(9) + a.slot(10),
              path.substr(0, 260) + numeral.substr(0, 32) + "|" + std::string(31, '7') + "9");
    play("/curid,a,b,c,d,e,f,g,h,i,j,;\r\n/curid,x,;\r\n/@,;\r\n");
    EXPECT_EQ(interpreter->commandArgs.count, 1);
    for (int i = 1; i < 10; ++i) EXPECT_STREQ(interpreter->commandArgs.slot(i), "");
}

TEST_F(InterpreterTest, KeyWaitAcceptsFreshSpaceEnterSeparatorAndZAlsoOnRepeat) {
    // clang-format off
    const std::tuple<uint32_t, bool, bool> cases[] = {
        {vk::space, false, true}, {vk::space, true, false}, {vk::enter, false, true}, {vk::enter, true, false},
        {vk::separator, false, true}, {vk::separator, true, false}, {'Z', false, true}, {'Z', true, true},
        {'A', false, false}, {vk::left, false, false}, {vk::escape, false, false}, {'0', false, false}};
    // clang-format on
    for (const auto& [key, repeat, accepted] : cases) {
        play("/@,;\r\nx\r\n");
        interpreter->keyWait(kKeyDownMessage, key, repeat ? kKeyRepeatBit | 1u : 1u);
        EXPECT_EQ(engine->runState, accepted ? kRunning : kWaitingForKey) << key << " " << repeat;
    }
    interpreter->keyWait(0x0101, vk::space, 0);
    EXPECT_EQ(boxes(), "エラー　s.dat　LINE:3 | 想定外の動作｡qKeywait()でCaseElseが呼ばれた\n");
}

TEST_F(InterpreterTest, PageBreakStartsANewPageKeyWaitDoesNot) {
    play("one\r\ntwo\r\n/@,;\r\nthree\r\n/\\,;\r\nfour\r\n");
    interpreter->keyWait(kKeyDownMessage, vk::space, 0);
    run();
    EXPECT_EQ(engine->honbun.curY, 24 + 3 * 40);  // below the last line, same page
    const platform::Surface shown = engine->clientPicture;
    interpreter->keyWait(kKeyDownMessage, vk::enter, 0);
    EXPECT_FALSE(interpreter->pageBreakPending);
    EXPECT_EQ(engine->honbun.curY, 24);
    for (int i = 0; i < 640 * 480; i += 7) ASSERT_EQ(screen(0).pixel(i % 640, i / 640), 0xFF00FFu) << i;
    // The window goes on showing the old page until the next line.
    EXPECT_EQ(0, std::memcmp(engine->clientPicture.bits(), shown.bits(), 640 * 480 * 4));
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 64);
}

TEST_F(InterpreterTest, PromptFlashesByTheTickMaskUntilItsNextChange) {
    // tick -> 0 nothing drawn, 1 on colour, 2 off colour; drawn in the first 100 ms of 300.
    const std::string ini =
        "[honbun]\nlineSpeed=0\n[keywait]\nOnColorOffColor=&H0000ff,,&H00ff00\nviewstrXY_flasher=-64,,-16,,";
    // clang-format off
    const std::tuple<std::string, uint32_t, int> cases[] = {
        {"7", 600, 2}, {"7", 650, 1}, {"7", 700, 0}, {"7", 899, 0}, {"7", 900, 1}, {"7", 1024, 0},
        {"7", 1280, 2}, {"7", 1599, 2}, {"8", 1228, 2}, {"8", 1299, 2}, {"0", 1201, 1}, {"0", 1202, 2}};
    // clang-format on
    for (const auto& [period, tick, drawn] : cases) {
        play("/@,;\r\n", ini + period + "\n");
        repaintWindow(*engine);
        backend->sleep(tick - backend->tickCount());
        interpreter->keyWait(0, 0, 0);
        int on = 0, off = 0;
        for (int i = 0; i < 80 * 40; ++i) {
            on += engine->clientPicture.pixel(560 + i % 80, 440 + i / 80) == 0x0000ff;
            off += engine->clientPicture.pixel(560 + i % 80, 440 + i / 80) == 0x00ff00;
        }
        EXPECT_EQ((on > 0) * 1 + (off > 0) * 2, drawn) << period << " " << tick;
    }
    // When the picture next changes.
    // clang-format off
    const std::tuple<uint32_t, uint8_t, uint32_t> deadlines[] = {
        {0, 128, 300}, {299, 128, 300}, {300, 128, 384}, {384, 128, 600}, {50, 0, 300},
        {0, 32, 32},   {90, 32, 96},    {96, 32, 300},   {5, 1, 6},       {99, 1, 300}};
    // clang-format on
    for (const auto& [now, mask, deadline] : deadlines) EXPECT_EQ(promptDeadline(now, mask), deadline) << now;
}

}  // namespace
}  // namespace qt::engine::test

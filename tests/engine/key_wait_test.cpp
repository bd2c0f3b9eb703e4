#include "engine/core/compositing.h"
#include "engine/core/message_loop.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

namespace vk = platform::vk;

class KeyWaitTest : public EngineTest {
protected:
    void waitOn(const std::string& body, const std::string& ini = "") {
        ASSERT_TRUE(start(kHeader + body, "[honbun]\nlineSpeed=0\n" + ini));
        for (int i = 0; i < 50 && engine->runState == kRunning && !interpreter->atEnd(); ++i) {
            interpreter->step();
        }
        ASSERT_EQ(engine->runState, kWaitingForKey);
    }
    void setClock(uint32_t tick) { backend->sleep(tick - backend->tickCount()); }

    // Pixels of `color` in the prompt's corner of the client area.
    int promptPixels(uint32_t color) {
        int n = 0;
        const platform::Surface& c = backend->clientPicture();
        for (int y = 440; y < 480; ++y) {
            for (int x = 560; x < 640; ++x) n += c.pixel(x, y) == color;
        }
        return n;
    }
};

TEST_F(KeyWaitTest, AcceptedKeys) {
    struct Case {
        uint32_t key;
        bool repeat;
        bool accepted;
    };
    const Case cases[] = {
        {vk::space, false, true},     {vk::space, true, false},  {vk::enter, false, true},
        {vk::enter, true, false},     {vk::separator, false, true}, {vk::separator, true, false},
        {'Z', false, true},           {'Z', true, true},         {'A', false, false},
        {vk::left, false, false},     {vk::escape, false, false}, {vk::f12, false, false},
        {'0', false, false},          {vk::shift, false, false},
    };
    for (const Case& c : cases) {
        waitOn("/@,;\r\nx\r\n");
        interpreter->keyWait(kKeyDownMessage, c.key, c.repeat ? platform::kKeyRepeatBit | 1u : 1u);
        EXPECT_EQ(engine->runState, c.accepted ? kRunning : kWaitingForKey) << c.key << " " << c.repeat;
    }
}

TEST_F(KeyWaitTest, UnexpectedEventKindIsReported) {
    waitOn("/@,;\r\n");
    interpreter->keyWait(0x0101, vk::space, 0);
    EXPECT_EQ(engine->runState, kWaitingForKey);
    EXPECT_EQ(texts(), std::vector<std::string>{"想定外の動作｡qKeywait()でCaseElseが呼ばれた"});
}

TEST_F(KeyWaitTest, PageBreakStartsANewPageAndKeyWaitDoesNot) {
    waitOn("one\r\ntwo\r\n/@,;\r\nthree\r\n/\\,;\r\nfour\r\n");
    EXPECT_FALSE(interpreter->pageBreakPending);
    interpreter->keyWait(kKeyDownMessage, vk::space, 0);
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 24 + 3 * 40);  // below the last line, same page
    interpreter->step();
    EXPECT_TRUE(interpreter->pageBreakPending);
    EXPECT_EQ(engine->runState, kWaitingForKey);

    const platform::Surface before = backend->clientPicture();
    interpreter->keyWait(kKeyDownMessage, vk::enter, 0);
    EXPECT_FALSE(interpreter->pageBreakPending);
    EXPECT_EQ(engine->honbun.curY, 24);
    // The presentation is the composition again: no text left on it.
    for (int y = 0; y < 480; y += 7) {
        for (int x = 0; x < 640; x += 7) ASSERT_EQ(screen(0).pixel(x, y), 0xFF00FFu) << x << "," << y;
    }
    // The window is not repainted by the new page itself.
    EXPECT_EQ(backend->clientPicture().bits()[0], before.bits()[0]);
    EXPECT_EQ(0, std::memcmp(backend->clientPicture().bits(), before.bits(), 640 * 480 * 4));
    interpreter->step();
    EXPECT_EQ(engine->honbun.curY, 64);
}

TEST_F(KeyWaitTest, PromptFlashesByTheTickMask) {
    struct Case {
        uint32_t tick;
        int drawn;  // 0 nothing, 1 on colour, 2 off colour
    };
    // Default period 7: mask 128; drawn only in the first 100 ms of 300.
    const Case cases[] = {{600, 2},  {650, 1},  {700, 0},  {899, 0},  {900, 1},  {1024, 0},
                          {1100, 0}, {1200, 1}, {1280, 2}, {1299, 2}, {1536, 2}, {1599, 2}};
    for (const Case& c : cases) {
        waitOn("/@,;\r\n", "[keywait]\nOnColorOffColor=&H0000ff,,&H00ff00\n");
        repaintWindow(*engine);
        setClock(c.tick);
        interpreter->keyWait(0, 0, 0);
        EXPECT_EQ(promptPixels(0x0000ff) > 0, c.drawn == 1) << c.tick;
        EXPECT_EQ(promptPixels(0x00ff00) > 0, c.drawn == 2) << c.tick;
    }
}

TEST_F(KeyWaitTest, MaskZeroAlwaysShowsTheOffColour) {
    waitOn("/@,;\r\n", "[keywait]\nviewstrXY_flasher=-64,,-16,,8\nOnColorOffColor=&H0000ff,,&H00ff00\n");
    for (uint32_t tick : {1200u, 1228u, 1255u, 1299u}) {
        repaintWindow(*engine);
        setClock(tick);
        interpreter->keyWait(0, 0, 0);
        EXPECT_EQ(promptPixels(0x0000ff), 0) << tick;
        EXPECT_GT(promptPixels(0x00ff00), 0) << tick;
    }
}

TEST_F(KeyWaitTest, PromptAtZeroOffsetsIsNotVisible) {
    waitOn("/@,;\r\n", "[keywait]\nviewstrXY_flasher=0,,0,,7\nOnColorOffColor=&H0000ff,,&H00ff00\n");
    repaintWindow(*engine);
    setClock(1200);
    const platform::Surface before = backend->clientPicture();
    interpreter->keyWait(0, 0, 0);
    EXPECT_EQ(0, std::memcmp(backend->clientPicture().bits(), before.bits(), 640 * 480 * 4));
}

TEST(PromptDeadline, NextChangeOfThePicture) {
    struct Case {
        uint32_t now;
        uint8_t mask;
        uint32_t deadline;
    };
    const Case cases[] = {
        {0, 128, 300},   {127, 128, 300}, {128, 128, 300}, {150, 128, 300}, {299, 128, 300},
        {300, 128, 384}, {384, 128, 600}, {0, 0, 300},     {50, 0, 300},    {0, 32, 32},
        {90, 32, 96},    {96, 32, 300},   {5, 1, 6},       {99, 1, 300},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(promptDeadline(c.now, c.mask), c.deadline) << c.now << " " << int(c.mask);
    }
}

}  // namespace
}  // namespace qt::engine::test

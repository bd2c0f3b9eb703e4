#include "engine/core/memory_dcs.h"

#include "engine/core/window_geometry.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class MemoryDCsTest : public EngineTest {
protected:
    void build(int32_t count, int sw = 4, int sh = 3, int ww = 8, int wh = 6) {
        makeEngine();
        engine->screenWidth = sw;
        engine->screenHeight = sh;
        engine->windowWidth = ww;
        engine->windowHeight = wh;
        ASSERT_TRUE(backend->createWindow(windowSpecFor(backend->metrics(), 8, 6, 0, 0, "t")));
        engine->hasWindow = true;
        engine->screens.create(*engine, count, 0x123456);
    }
};

TEST_F(MemoryDCsTest, UserScreenCountIsCorrected) {
    struct Case {
        int32_t asked;
        int16_t made;
        bool message;
    };
    const Case cases[] = {{2, 2, false}, {3, 3, false}, {1, 2, true},     {0, 2, true},
                          {-5, 2, true}, {65539, 3, false}, {40000, 2, true}};
    for (const Case& c : cases) {
        build(c.asked);
        EXPECT_EQ(engine->screens.count(), c.made) << c.asked;
        if (c.message) {
            ASSERT_EQ(backend->boxes().size(), 1u) << c.asked;
            EXPECT_EQ(cp932ToUtf8(backend->boxes()[0].captionCp932), "memoryDCsクラス");
            EXPECT_EQ(texts()[0], "ユーザー仮想画面の数が少ない\n2 以上必要");
            EXPECT_EQ(backend->boxes()[0].icon, platform::BoxIcon::exclamation);
        } else {
            EXPECT_TRUE(backend->boxes().empty()) << c.asked;
        }
        for (int id = -2; id <= c.made; ++id) {
            platform::Surface* s = engine->screens.getDC(id);
            ASSERT_NE(s, nullptr) << id;
            EXPECT_EQ(s->width(), id == 0 ? 8 : 4);
            EXPECT_EQ(s->height(), id == 0 ? 6 : 3);
            EXPECT_EQ(s->pixel(s->width() - 1, s->height() - 1), 0x123456u);
        }
        EXPECT_EQ(engine->screens.curID, 2);
    }
}

TEST_F(MemoryDCsTest, IdsOutOfRangeAreReported) {
    build(2);
    EXPECT_EQ(engine->screens.getDC(3), nullptr);
    EXPECT_EQ(engine->screens.getDC(-3), nullptr);
    EXPECT_EQ(texts(), (std::vector<std::string>{"仮想画面IDが範囲外です\n> 3", "仮想画面IDが範囲外です\n> -3"}));
    EXPECT_TRUE(engine->screens.isValidId(-2));
    EXPECT_FALSE(engine->screens.isValidId(3));
}

TEST_F(MemoryDCsTest, ScreenSizes) {
    build(2);
    using Size = std::pair<int32_t, int32_t>;
    EXPECT_EQ(engine->screens.getScreenSize(0), Size(8, 6));
    EXPECT_EQ(engine->screens.getScreenSize(1), Size(4, 3));
    EXPECT_EQ(engine->screens.getScreenSize(99), Size(4, 3));
    EXPECT_EQ(engine->screens.getScreenSize(kCurrentScreen), Size(4, 3));
    engine->screens.curID = 0;
    EXPECT_EQ(engine->screens.getScreenSize(kCurrentScreen), Size(8, 6));
}

TEST_F(MemoryDCsTest, ScreensThatCannotBeMadeGoThroughErrexit) {
    struct Case {
        int sw, sh, ww, wh;
        std::string text;
    };
    const Case cases[] = {
        {0, 3, 8, 6, "仮想画面の作成に失敗 [memoryDCsクラス]\n> -1 (0x3)"},
        {4, -3, 8, 6, "仮想画面の作成に失敗 [memoryDCsクラス]\n> -1 (4x-3)"},
        {4, 3, 8, 0, "仮想画面の作成に失敗 [memoryDCsクラス]\n> 0 (8x0)"},
        {2000000000, 2000000000, 8, 6,
         "仮想画面の作成に失敗 [memoryDCsクラス]\n> -1 (2000000000x2000000000)"},
    };
    for (const Case& c : cases) {
        build(2, c.sw, c.sh, c.ww, c.wh);
        EXPECT_FALSE(engine->screens.built());
        ASSERT_EQ(backend->boxes().size(), 1u);
        EXPECT_EQ(texts()[0], c.text);
        EXPECT_EQ(captions()[0], "errexit()");
        EXPECT_EQ(backend->boxes()[0].icon, platform::BoxIcon::stop);
        EXPECT_FALSE(backend->windowExists());
        EXPECT_EQ(engine->screens.getDC(1), nullptr);
        EXPECT_TRUE(exitCodes.empty());
    }
}

}  // namespace
}  // namespace qt::engine::test

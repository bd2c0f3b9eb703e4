#pragma once
// What the engine says about a scenario while it plays it; qPre --check
// reports the same texts.
#include "common/message.h"

namespace qt::engine::msg {

// Start-up.
inline const Message firstScenarioMissing{"「最初に読み込むシナリオファイル」が存在しません\n"};

// Scenario reader.
inline const Message readerAllocFailed{"[scenarioFilesクラス] メモリ確保に失敗"};
inline const Message scenarioHeld{"[二重起動]\nシナリオファイルが開けません"};
inline const Message notPreprocessed{"プリプロセッサ済みシナリオファイルでは無いようです"};

// Interpreter and commands.
inline const Message unknownCommand{"存在しない命令があります\n/"};
inline const Message tooManyArguments{"命令引数が多すぎます。あるいは ; を忘れています"};
inline const Message keyWaitUnexpected{"想定外の動作｡qKeywait()でCaseElseが呼ばれた"};
inline const Message curidBad{"ID指定が異常です /curID"};
inline const Message nextBadPath{"指定のファイルパスは無効です\t/next"};
inline const Message iroCountBad{"引数の個数が異常です\t/iro"};
inline const Message imageCountBad{"/eの引数の個数が異常です"};
inline const Message imageLoadFailed{
    "画像の読み込みに失敗しました。\nファイルパスを間違えていないか確認してください\n> "};
inline const Message imageReadFailed{"読込失敗 /e"};
inline const Message soundBadCommand{"コマンドが異常です。[音関連命令"};
inline const Message soundOpenFailed{"ファイルが開けません [音関連命令\n> "};

}  // namespace qt::engine::msg

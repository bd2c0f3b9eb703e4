#pragma once
// Every fixed text qPre shows, in one place.
#include "common/message.h"

namespace qt::pre::msg {

// Console lines.
inline const Message droppedStart{"ドラッグ＆ドロップされたファイルをプリプロセス中..."};
inline const Message outputNameFailed{"≪変換後のﾌｧｲﾙ名作成に 失敗≫"};
inline const Message droppedFailed{"...失敗"};
inline const Message runEnd{"...プリプロセス終了"};
inline const Message listMissing{"ファイルリストが見つかりません→"};
inline const Message entryArrow{"→"};
inline const Message entryFailed{"...プリプロセス失敗"};
inline const Message folderStart{"ﾌｧｲﾙﾘｽﾄ自動作成中..."};
inline const Message folderNotBelow{"≪失敗≫下層フォルダを指定してください"};
inline const Message folderNoMatch{"≪検索失敗≫"};
inline const Message folderEnd{"...作成処理終了"};
inline const Message enterPrompt{"\n\n≪ [ENTER]を押すと終了します ≫"};
inline const Message finishMissing{"指定された実行ファイルへのパスは無効でした。→"};

// Warnings for authors (qPre.ini [main] warnings=1): caption, then the
// reasons found on the line, each led by an ideographic space.
inline const Message warningCaption{"警告　"};
inline const Message warnComma{"　本文の半角カンマ(,)で行が分かれます"};
inline const Message warnDoubleQuote{
    "　本文の半角ダブルクォーテーション(\")で以降のカンマが区切りになりません"};
inline const Message warnSlashLine{"　/ で始まる表示行は命令として読まれます"};

// Reports on standard error.
inline const Message unterminatedQuote{"命令引数]\nダブルクォーテーションの終端が見つかりません"};
inline const Message unknownDirective{"存在しないプリプロセッサ命令が記述されています\n>"};
inline const Message cmdLineCaption{"CCmdLineクラス"};
inline const Message outOfMemory{"メモリ確保に失敗しました"};
inline const Message listWriteFailed{"ファイルリストに書き込めませんでした"};

}  // namespace qt::pre::msg

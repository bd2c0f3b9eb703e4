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
inline const Message warnDoubleQuote{"　本文の半角ダブルクォーテーション(\")で以降のカンマが区切りになりません"};
inline const Message warnSlashLine{"　/ で始まる表示行は命令として読まれます"};
inline const Message warnLoneLineFeed{"　LF だけの改行は行の終わりになりません（CR LF と混在）"};

// Reports on standard error.
inline const Message unterminatedQuote{"命令引数]\nダブルクォーテーションの終端が見つかりません"};
inline const Message unknownDirective{"存在しないプリプロセッサ命令が記述されています\n>"};
inline const Message cmdLineCaption{"CCmdLineクラス"};
inline const Message outOfMemory{"メモリ確保に失敗しました"};
inline const Message listWriteFailed{"ファイルリストに書き込めませんでした"};

// Why a conversion or a folder failed: "qPre: FILE: reason" on standard
// error. Japanese, as every other line qPre writes.
inline const Message programName{"qPre"};
inline const Message reasonNotFound{"見つかりません"};
inline const Message reasonNotRegular{"ふつうのファイルではありません"};
inline const Message reasonEmpty{"空のファイルです"};
inline const Message reasonTooLarge{"1 MiB（1048576 バイト）より大きいファイルです"};
inline const Message reasonLocked{"ほかのプログラムが書き込み中のため読めません"};
inline const Message reasonUnreadable{"読み込めません: "};  // + the system's reason
inline const Message reasonLine{"LINE:"};                   // + number + one of the two below
inline const Message reasonNotUtf8{": UTF-8 として読めないバイトがあります"};
inline const Message reasonNoCp932Form{": Shift-JIS（CP932）にない文字です: "};  // + U+XXXX
inline const Message reasonDestinationLocked{
    "ほかのプログラム（再生中の qRun など）が開いているため書き換えられません"};
inline const Message reasonUnwritable{"書き込めません: "};  // + the system's reason
inline const Message reasonDestinationIsSource{"変換元のソースファイルそのものなので書き換えません"};
// After "LINE:" + number, beside a conversion that did not fail.
inline const Message reasonZeroByte{": NUL バイト（0x00）で本文が終わっています。ここから後は変換していません"};
// The file list.
inline const Message reasonListInUse{"ほかの qPre が同じファイルリストを使っています"};
inline const Message reasonListCrAlone{"改行が CR だけなので読めません（CR LF か LF で保存してください）"};

// qPre --check: problems the engine or the conversion would meet, and the
// summary "検査したソース N 件: エラー E 件、警告 W 件".
inline const Message checkSources{"検査したソース "};
inline const Message checkErrors{" 件: エラー "};
inline const Message checkWarnings{" 件、警告 "};
inline const Message checkCountEnd{" 件"};
inline const Message checkPageBelowWindow{
    "ページの最後の行がウィンドウの下にはみ出します（qPre.ini の pageHeight、"
    "qRun.ini の basePos・fontSizeStyle・wincsizeHeight）"};
inline const Message checkNotCp932{
    "Shift-JIS（CP932）として読めないバイトがあります（ほかの文字コードで保存されていませんか）"};
inline const Message checkLoneCr{"CR だけの改行は行の終わりになりません（CR LF か LF で保存してください）"};
inline const Message checkSameSource{"同じソースをもう一度変換します（ファイルリストの "};
inline const Message checkSameOutput{"同じ出力ファイルにもう一度書き込みます（ファイルリストの "};
inline const Message checkListLineEnd{" 行目と同じ）"};
inline const Message checkNextNotConverted{
    "ファイルリストのどの組からも作られないファイルです（古いまま再生されます）\t/next"};

// qPre --help (standard output).
inline const Message usage{
    "使い方: qPre [ソースファイル ...]\n"
    "        qPre フォルダ\n"
    "  引数なし        ファイルリスト（qPre.ini の fileListFilePath）の組をすべて変換します\n"
    "  ソースファイル  それぞれを同じ場所の拡張子 extAfter のファイルに変換します\n"
    "  フォルダ        qPre のフォルダかその下のフォルダのソースファイルを"
    "ファイルリストに書き足します\n"
    "  --check [ソースファイル ... | フォルダ]\n"
    "                  何も書かずに変換し、エンジンが出すエラーも含めてすべての問題を\n"
    "                  「ファイル:行: 内容」で一覧にします（問題があれば終了コード 1）\n"
    "  --batch         ファイルリストを変換します（ENTER 待ちなし、finishExeRun も起動しません。"
    "qRun の F5 が使います）\n"
    "  --help          この説明を表示します\n"
    "  --version       版を表示します\n"
    "ソースは Shift-JIS か UTF-8、改行は CR LF か LF です。"
    "設定は実行ファイルの横の qPre.ini から読みます。\n"
    "変換できなかった理由は標準エラーに「qPre: ファイル: 理由」の形で出ます。\n"
    "終了コードは、変換に失敗したファイルがあったかファイルリストを読めなかったときは 1、"
    "それ以外は 0 です。\n"};

}  // namespace qt::pre::msg

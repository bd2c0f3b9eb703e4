#pragma once
// Fixed texts of the engine qRun: every message, caption and default text
// it shows, in one place.
#include "common/message.h"
#include "engine/rules/scenario_messages.h"

namespace qt::engine::msg {

// Captions.
inline const Message errexitCaption{"errexit()"};
inline const Message memoryDCsCaption{"memoryDCsクラス"};

// Start-up and settings.
inline const Message defaultTitle{"かすみ Ver0.00002"};
inline const Message exeFolderFailed{"exeFolderが設定できませんでした"};
inline const Message viewstrXYBad{"INI [keywait]\nviewstrXY_flasherが異常です"};
inline const Message onOffColorBad{"INI [keywait]\nOnColorOffColorが異常です"};
inline const Message basePosBad{"INI] basePosが異常です"};
inline const Message fontSizeStyleBad{"INI] fontSizeStyleが異常です"};
inline const Message fontColorsBad{"INI] fontColorsが異常です"};
inline const Message darkBackRectBad{"INI] darkBackRECTが異常です"};
inline const Message defaultFontFamily{"ＭＳ Ｐゴシック"};
// Author mode: between the title and the scenario file and line; the
// caption over what a failed conversion said.
inline const Message titleSeparator{"　"};
inline const Message reloadCaption{"qPre"};
inline const Message qpreNotStarted{"qPre を起動できません\n> "};
inline const Message qpreKilled{"\nqPre が途中で終了しました"};

// Virtual screens and compositing.
inline const Message tooFewScreens{"ユーザー仮想画面の数が少ない\n2 以上必要"};
inline const Message screensAllocFailed{"メモリ確保失敗 [memoryDCsクラス]"};
inline const Message screenCreateFailed{"仮想画面の作成に失敗 [memoryDCsクラス]\n> "};
inline const Message screenIdOutOfRange{"仮想画面IDが範囲外です\n> "};
inline const Message darkRangeBad{"仮想画面.darkHonbun] 範囲が異常です"};

// Standard error and the command line (UTF-8; see note()).
inline const Message usage{
    "usage: qRun [options]\n"
    "Plays the scenario named in qRun.ini beside the executable.\n"
    "\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "  --headless      run without a display (virtual clock, scripted input)\n"
    "  --input FILE    headless input script, one event a line: MS EVENT\n"
    "                  EVENT: key NAME | key alt+NAME | down NAME | up NAME\n"
    "                         | focus out | focus in | click X Y | shift-click X Y\n"
    "                         | right-click X Y | drag X1 Y1 X2 Y2 | wheel down | wheel up\n"
    "                         | pad a | pad b | pad back\n"
    "                  NAME: space enter z esc f5 f11 f12 separator left right up down alt\n"
    "                        pad-a pad-b pad-back, a letter or a digit; '#' lines and\n"
    "                        blank lines are skipped\n"
    "  --output WxH    headless: the window's drawable area is W x H pixels (as a\n"
    "                  resized window or fullscreen would make it)\n"
    "  --fullscreen    start in fullscreen (as [screen] fullscreen=1)\n"
    "  --capture DIR   save the window's picture as DIR/wait-NNNN.png at each wait\n"
    "                  and DIR/end.png when the engine ends\n"
    "  --until MS      headless: close the window when the virtual clock reaches MS\n"
    "                  (default 600000)\n"
    "  --trace FILE    write PATH:LINE: FIELD for every interpreter step\n"
    "  --from FILE:LINE  start at that line: play from the start without showing,\n"
    "                  waiting or sounding anything until it is reached; FILE is a\n"
    "                  source of qPre's file list (LINE as your editor counts) or a\n"
    "                  converted scenario (LINE as the trace counts)\n"
    "  --author        author mode (also [main] authorMode=1 in qRun.ini): F5\n"
    "                  converts with the qPre beside qRun and starts again at the\n"
    "                  page on screen; the title shows the page's file and line\n"
    "\n"
    "Exit status: 0 when the engine ends normally, 1 when it ends on a fatal error\n"
    "(an errexit() report, or a settings error before the window exists), with a\n"
    "window or headless; 2 for a bad option.\n"};
inline const Message seeHelp{" (see --help)"};
inline const Message unknownOption{"unknown option "};
inline const Message optionNeedsFile{" needs a file"};
inline const Message optionNeedsFolder{" needs a folder"};
inline const Message optionNeedsTime{" needs a time in milliseconds"};
inline const Message optionNeedsNumber{" needs a number"};
inline const Message optionNeedsLine{" needs FILE:LINE, LINE from 1"};
inline const Message optionNeedsSize{" needs a size WxH (1 to 16384 each)"};
inline const Message optionOnlyHeadless{" works only with --headless"};
inline const Message inputUnreadable{"cannot read the input file "};
inline const Message captureFolderFailed{"cannot create the capture folder "};
inline const Message captureFailed{"cannot save the capture "};
inline const Message traceUnwritable{"cannot write the trace file "};
inline const Message folderNotEntered{"cannot enter the folder "};
inline const Message noWindowMade{"the window cannot be created; to play without a display use --headless"};
inline const Message restartFailed{"cannot start again: "};
inline const Message fromNotReached{"--from: the play does not reach "};
inline const Message fromNoFile{"--from: no such file: "};
inline const Message fromPastEnd{"--from: the source has no such line: "};
inline const Message fromNotConverted{"--from: not converted yet (run qPre): "};
inline const Message fromListUnreadable{"--from: qPre's file list cannot be read now, for "};
inline const Message fromNotConvertible{"--from: the source cannot be converted up to "};
inline const Message fromStale{"--from: changed after it was converted (run qPre): "};

}  // namespace qt::engine::msg

#include "engine/platform/freetype/font_mapping.h"

namespace qt::platform {

namespace {

// Family names compare without regard to case and blanks in fontconfig, so
// "MS PGothic" also finds "ＭＳ Ｐゴシック"'s half-width spelling variants.
constexpr const char kXml[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <match target="pattern">
    <test name="family"><string>ＭＳ Ｐゴシック</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>MS PGothic</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>ＭＳ ゴシック</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>MS Gothic</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>ＭＳ 明朝</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAMincho</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>MS Mincho</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAMincho</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>ＭＳ Ｐ明朝</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPMincho</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>MS PMincho</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPMincho</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>MS UI Gothic</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>メイリオ</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>Meiryo</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAPGothic</string></edit>
  </match>
</fontconfig>
)";

}  // namespace

const char* fontMappingXml() { return kXml; }

}  // namespace qt::platform

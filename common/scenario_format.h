#pragma once
// Bytes of the preprocessed scenario file that both programs agree on.

namespace qt::scenario {

// The file begins with this marker and CR LF.
constexpr unsigned char kHeaderMarker[2] = {0x82, 0xA9};
constexpr char kHeaderLine[] = "\x82\xA9\r\n";
constexpr char kLineEnd[] = "\r\n";
// A command line is "/" name {"," arg} "," ";" CR LF.
constexpr char kCommandMark = '/';
constexpr char kArgSeparator = ',';
constexpr char kEndOfArgs[] = ";";
constexpr char kCommandEnd[] = ",;\r\n";
// Page break and key wait as the preprocessor writes them.
constexpr char kPageBreakLine[] = "/\\,;\r\n";
constexpr char kKeyWaitLine[] = "/@,;\r\n";

}  // namespace qt::scenario

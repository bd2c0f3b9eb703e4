#pragma once
// Turns a scenario source text into a preprocessed scenario file: drops
// comments and blank lines, splits commands into arguments, applies the
// directives and lays body text out in display lines and pages.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "preprocessor/author_warnings.h"
#include "preprocessor/failure.h"
#include "preprocessor/output_file.h"
#include "preprocessor/page_layout.h"
#include "preprocessor/source_text.h"

namespace qt::pre {

// What an in-memory conversion found besides its output, for qPre --check.
struct ConversionRecord {
    // The error reports (CP932 text) by source line, instead of the console.
    std::vector<std::pair<int32_t, std::string>> errors;
    // Output offset at which each source line's output begins, in order.
    std::vector<std::pair<size_t, int32_t>> lineStarts;
    // Display lines of a page from this one on are drawn below the window.
    int32_t hiddenFrom = INT32_MAX;
    // Source line of the first display line drawn there; 0 for none.
    int32_t firstHiddenLine = 0;

    // The source line whose output holds `offset`.
    int32_t sourceLine(size_t offset) const;
};

class Converter {
public:
    explicit Converter(PageLayout& layout) : layout_(layout) {}

    // 0 when the file was converted (also when it stopped at an error in the
    // source, after reporting it); -1 when the source cannot be read or the
    // destination cannot be written, and failure() tells why.
    int convertFile(const char* sourcePath, const char* destPath);
    const FailureDetail& failure() const { return failure_; }
    // The same conversion into `output` in memory; nothing on disk changes.
    // The errors go to `record`, with where each source line went.
    int convertToMemory(const char* sourcePath, std::string* output, ConversionRecord* record);
    // The text of the last source read.
    const SourceText& source() const { return source_; }
    // After a conversion: the source line whose 0 byte ended the text, 0
    // when the source holds none.
    int32_t zeroByteLine() const { return source_.zeroByteLine(); }

    // The page sizes of qPre.ini that a page directive without a number
    // restores, as read at the start of the run. Without them such a
    // directive reads qPre.ini.
    void setIniPageSize(int16_t width, int16_t height) {
        iniPageWidth_ = width;
        iniPageHeight_ = height;
        iniPageSizeSet_ = true;
    }

    // Where error reports go (CP932 caption and text); standard error unless
    // set otherwise.
    using ReportSink = void (*)(std::string_view caption, std::string_view text);
    void setReportSink(ReportSink sink) { sink_ = sink; }

    // Where the warnings for authors collect, emptied at the start of every
    // conversion; none (the default) checks nothing.
    void setWarnings(AuthorWarnings* warnings) { warnings_ = warnings; }

private:
    // Conversion loop and comments (converter.cpp).
    bool step();
    void skipBlockComment();
    void skipLineComment();
    void showErrorBox(const std::string& text) const { showErrorBox(text, lineCounter_); }
    void showErrorBox(const std::string& text, int32_t line) const;

    // Command tokenizer (command_tokenizer.cpp). Cursor on the first byte of
    // the name; "/" already written. False when the command failed.
    enum class ArgumentEnd { nextArgument, restIsPlain, commandDone, failed };
    bool tokenizeCommand();
    ArgumentEnd quotedArgument();
    ArgumentEnd plainArgument();
    void writeTerminator();
    void putRun(const unsigned char* from) {
        out_.put(reinterpret_cast<const char*>(from), static_cast<size_t>(cursor_ - from));
    }

    // Layout and directives (page_layout.cpp).
    void directive();
    void bodyTextLine();
    void pageBreakCommand();
    void keyWaitCommand();
    void skipAtTopOfPage();
    void pageTest();
    bool breakAllowed(int lastCharLength) const;
    void lineEnd();
    void checkBodyRun(const unsigned char* from, const unsigned char* to, bool lineStart);
    void checkLineEnds();

    int convert(const char* sourcePath, const char* destPath, std::string* memory);

    PageLayout& layout_;
    SourceText source_;
    ConversionRecord* record_ = nullptr;
    int32_t bodyLine_ = 0;  // the source line of the body text being laid out
    OutputFile out_;
    const unsigned char* cursor_ = nullptr;
    int32_t lineCounter_ = 1;
    std::string sourcePath_;
    ReportSink sink_ = nullptr;
    AuthorWarnings* warnings_ = nullptr;
    FailureDetail failure_;
    bool iniPageSizeSet_ = false;
    int16_t iniPageWidth_ = 0;
    int16_t iniPageHeight_ = 0;
};

}  // namespace qt::pre

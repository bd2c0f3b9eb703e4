// Body text in display lines and pages, the page commands written in the
// source, and the directives that change the page size.
#include "preprocessor/page_layout.h"

#include <string>

#include "common/numeral.h"
#include "common/scenario_format.h"
#include "common/sjis.h"
#include "preprocessor/byte_class.h"
#include "preprocessor/converter.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

constexpr int kMaxDirectiveWords = 8;

bool isPair(const unsigned char* p, unsigned char second) { return p[0] == 0x81 && p[1] == second; }

// 、 。 」 』 ） ！ ？
bool mayNotBeginLine(const unsigned char* p) {
    if (p[0] != 0x81) return false;
    switch (p[1]) {
        case 0x41:
        case 0x42:
        case 0x76:
        case 0x78:
        case 0x6A:
        case 0x49:
        case 0x48: return true;
        default: return false;
    }
}

// 「 『 （
bool mayNotEndLine(const unsigned char* p) { return isPair(p, 0x75) || isPair(p, 0x77) || isPair(p, 0x69); }

}  // namespace

void Converter::lineEnd() {
    if (record_ != nullptr && record_->firstHiddenLine == 0 && layout_.pageLine >= record_->hiddenFrom) {
        record_->firstHiddenLine = bodyLine_;
    }
    out_.putText(scenario::kLineEnd);
    ++layout_.pageLine;
    pageTest();
}

void Converter::pageTest() {
    if (layout_.pageLine >= layout_.pageHeight) {
        out_.putText(scenario::kPageBreakLine);
        layout_.pageLine = 1;
    }
}

bool Converter::breakAllowed(int lastCharLength) const {
    if (cursor_[0] == '\r' && cursor_[1] == '\n') return false;
    if (mayNotBeginLine(cursor_)) return false;
    // Only a whole double-byte character can be an opening bracket.
    if (lastCharLength == 2 && mayNotEndLine(cursor_ - 2)) return false;
    return true;
}

void Converter::checkBodyRun(const unsigned char* from, const unsigned char* to, bool lineStart) {
    if (lineStart && *from == '/') warnings_->note(lineCounter_, AuthorWarnings::slashLine);
    // A trail byte is never "," or a double quote, so a plain byte scan holds.
    for (const unsigned char* p = from; p != to; ++p) {
        if (*p == ',') warnings_->note(lineCounter_, AuthorWarnings::comma);
        if (*p == '"') warnings_->note(lineCounter_, AuthorWarnings::doubleQuote);
    }
}

void Converter::bodyTextLine() {
    // Runs of ordinary characters are copied in one piece; the loop stops
    // for the bytes that need a decision and wherever the width is reached.
    bodyLine_ = lineCounter_;
    const unsigned char* p = cursor_;
    const int32_t width = layout_.pageWidth;
    int32_t column = 1;
    // Whether the next byte written begins a display line.
    bool lineStart = true;
    for (;;) {
        const unsigned char* run = p;
        int last = 0;
        for (;;) {
            const uint8_t flags = kBytes[*p];
            if ((flags & kBodyStop) != 0) break;
            last = ((flags & kLeadByte) != 0 && p[1] != 0) ? 2 : 1;
            p += last;
            column += last;
            if (column >= width) break;
        }
        if (p != run) {
            if (warnings_ != nullptr) checkBodyRun(run, p, lineStart);
            lineStart = false;
            out_.put(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
        }
        if (last != 0 && column >= width) {
            cursor_ = p;
            if (breakAllowed(last)) {
                lineEnd();
                column = 1;
                lineStart = true;
            }
            continue;
        }
        switch (*p) {
            case '<':
                ++p;  // dropped
                break;
            case '\r':
                ++p;
                if (*p == '\n') {
                    cursor_ = p + 1;
                    ++lineCounter_;
                    lineEnd();
                    return;
                }
                break;  // a stray CR is dropped
            default: cursor_ = p; return;
        }
    }
}

void Converter::skipAtTopOfPage() {
    for (;;) {
        const unsigned char c = *cursor_;
        if (c == 0 || c == '/') return;
        if (c == '\r' && cursor_[1] == '\n') {
            cursor_ += 2;
            ++lineCounter_;
            return;
        }
        ++cursor_;
    }
}

void Converter::pageBreakCommand() {
    if (layout_.pageLine == 1) {
        skipAtTopOfPage();
        return;
    }
    out_.put('/');
    layout_.pageLine = 1;
    tokenizeCommand();  // a failure here is reported and the conversion goes on
}

void Converter::keyWaitCommand() {
    if (layout_.pageLine == 1) {
        skipAtTopOfPage();
        return;
    }
    out_.put('/');
    tokenizeCommand();
}

void Converter::directive() {
    // The report names the directive's line, not the one after it.
    const int32_t line = lineCounter_;
    std::string words[kMaxDirectiveWords];
    int count = 0;
    bool lineEnded = false;
    while (count < kMaxDirectiveWords) {
        std::string& word = words[count++];
        bool endedAtBlank = false;
        for (;;) {
            const unsigned char c = *cursor_;
            if (c == 0) {
                lineEnded = true;
                break;
            }
            if (c == '\r' && cursor_[1] == '\n') {
                cursor_ += 2;
                ++lineCounter_;
                lineEnded = true;
                break;
            }
            if (c == ' ' || c == '\t') {
                endedAtBlank = true;
                break;
            }
            if (c >= 'A' && c <= 'Z') {
                word.push_back(static_cast<char>(c + 0x20));
                ++cursor_;
                continue;
            }
            const int n = charLength(cursor_);
            word.append(reinterpret_cast<const char*>(cursor_), static_cast<size_t>(n));
            cursor_ += n;
        }
        if (lineEnded) break;
        if (endedAtBlank) {
            while (*cursor_ == ' ' || *cursor_ == '\t') ++cursor_;
        }
    }
    if (!lineEnded) {
        // Words past the eighth are ignored; the line end is left for the
        // next step.
        while (*cursor_ != 0 && !(cursor_[0] == '\r' && cursor_[1] == '\n')) ++cursor_;
    }

    const char* name = words[0].c_str();
    if (sameText(name, "pagewidth") == 0) {
        if (count >= 2) {
            layout_.pageWidth = low16(numeralInt(words[1].c_str()));
        } else {
            layout_.pageWidth = iniPageSizeSet_ ? iniPageWidth_ : iniPageWidth();
        }
    } else if (sameText(name, "pageheight") == 0) {
        if (count >= 2) {
            layout_.pageHeight = low16(numeralInt(words[1].c_str()));
        } else {
            layout_.pageHeight = iniPageSizeSet_ ? iniPageHeight_ : iniPageHeight();
        }
    } else {
        showErrorBox(msg::unknownDirective.cp932() + words[0], line);
    }
}

}  // namespace qt::pre

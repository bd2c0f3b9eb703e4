#include "preprocessor/converter.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "common/messages.h"
#include "common/report.h"
#include "common/scenario_format.h"
#include "preprocessor/byte_class.h"

namespace qt::pre {

int32_t ConversionRecord::sourceLine(size_t offset) const {
    // The last line that began at or before the offset.
    auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset,
                                  [](size_t o, const std::pair<size_t, int32_t>& start) { return o < start.first; });
    return after == lineStarts.begin() ? 1 : std::prev(after)->second;
}

int Converter::convertFile(const char* sourcePath, const char* destPath) {
    record_ = nullptr;
    return convert(sourcePath, destPath, nullptr);
}

int Converter::convertToMemory(const char* sourcePath, std::string* output, ConversionRecord* record) {
    record_ = record;
    const int result = convert(sourcePath, nullptr, output);
    record_ = nullptr;
    return result;
}

int Converter::convert(const char* sourcePath, const char* destPath, std::string* memory) {
    if (warnings_ != nullptr) warnings_->clear();
    failure_ = source_.load(sourcePath);
    if (failure_.what != Failure::none) return -1;
    cursor_ = source_.begin();
    sourcePath_ = sourcePath;
    lineCounter_ = 1;
    if (memory != nullptr) {
        out_.openInMemory(memory);
    } else {
        switch (out_.open(destPath, &source_.id())) {
            case OutputFile::OpenResult::ok: break;
            case OutputFile::OpenResult::locked: failure_ = {Failure::destinationLocked}; return -1;
            case OutputFile::OpenResult::notRegular: failure_ = {Failure::destinationNotRegular}; return -1;
            case OutputFile::OpenResult::isSource: failure_ = {Failure::destinationIsSource}; return -1;
            case OutputFile::OpenResult::failed: failure_ = {Failure::unwritable, out_.error()}; return -1;
        }
    }
    if (warnings_ != nullptr) checkLineEnds();
    out_.putText(scenario::kHeaderLine);
    while (step()) {
    }
    if (out_.commit()) return 0;
    failure_ = {Failure::unwritable, out_.error()};
    // Nothing was written, so nothing will be misread.
    if (warnings_ != nullptr) warnings_->clear();
    return -1;
}

// A LF alone ends no line here, though an editor shows one; a text without
// any CR has had CR LF made of each of its LFs already.
void Converter::checkLineEnds() {
    int32_t line = 1;
    for (const unsigned char* p = source_.begin(); *p != 0; ++p) {
        if (*p != '\n') continue;
        if (p != source_.begin() && p[-1] == '\r') {
            ++line;
        } else {
            warnings_->note(line, AuthorWarnings::loneLineFeed);
        }
    }
}

bool Converter::step() {
    if (record_ != nullptr) {
        auto& starts = record_->lineStarts;
        if (starts.empty() || starts.back().second != lineCounter_)
            starts.emplace_back(out_.memorySize(), lineCounter_);
    }
    while (*cursor_ == ' ' || *cursor_ == '\t') ++cursor_;
    switch (*cursor_) {
        case '/':
            ++cursor_;
            switch (*cursor_) {
                case '*':
                    ++cursor_;
                    skipBlockComment();
                    return true;
                case '/':
                    ++cursor_;
                    skipLineComment();
                    return true;
                case '\\': pageBreakCommand(); return true;
                case '@': keyWaitCommand(); return true;
                default: out_.put('/'); return tokenizeCommand();
            }
        case '#':
            ++cursor_;
            directive();
            return true;
        case '<': ++cursor_; return true;
        case 0: return false;
        case '\r':
            if (cursor_[1] == '\n') {
                cursor_ += 2;
                ++lineCounter_;
                return true;
            }
            bodyTextLine();
            return true;
        default: bodyTextLine(); return true;
    }
}

void Converter::skipBlockComment() {
    for (;;) {
        const unsigned char c = *cursor_;
        if (c == 0) return;
        if (c == '*' && cursor_[1] == '/') {
            cursor_ += 2;
            return;
        }
        if (c == '\r' && cursor_[1] == '\n') {
            cursor_ += 2;
            ++lineCounter_;
            continue;
        }
        cursor_ += charLength(cursor_);
    }
}

void Converter::skipLineComment() {
    for (;;) {
        const unsigned char c = *cursor_;
        if (c == 0) return;
        if (c == '\r' && cursor_[1] == '\n') {
            cursor_ += 2;
            ++lineCounter_;
            return;
        }
        ++cursor_;
    }
}

void Converter::showErrorBox(const std::string& text, int32_t line) const {
    std::string caption = msg::errorCaption.cp932();
    caption += sourcePath_;
    caption += msg::lineCaption.cp932();
    caption += std::to_string(line);
    if (record_ != nullptr) {
        record_->errors.emplace_back(line, text);
        return;
    }
    if (sink_ != nullptr) {
        sink_(caption, text);
        return;
    }
    std::fflush(stdout);  // the console lines before it stay before it
    reportToStderr(caption, text);
}

}  // namespace qt::pre

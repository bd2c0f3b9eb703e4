// Splits one command into its name and arguments and writes it as
// "/name,a1,...,an,;" CR LF.
#include "common/scenario_format.h"
#include "preprocessor/byte_class.h"
#include "preprocessor/converter.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

void Converter::writeTerminator() { out_.putText(scenario::kCommandEnd); }

bool Converter::tokenizeCommand() {
    // The name.
    for (;;) {
        const unsigned char c = *cursor_;
        if (c == ' ' || c == '\t' || c == ',') break;
        if (c == 0) return false;
        if (c == ';') {
            writeTerminator();
            ++cursor_;
            continue;
        }
        if (c == '\r' && cursor_[1] == '\n') {
            if (cursor_[-1] != ';') writeTerminator();
            cursor_ += 2;
            ++lineCounter_;
            return true;
        }
        if (c >= 'A' && c <= 'Z') {
            out_.put(static_cast<char>(c + 0x20));
            ++cursor_;
            continue;
        }
        // A double-byte character stays whole, its second byte unlowered.
        const int n = charLength(cursor_);
        out_.put(reinterpret_cast<const char*>(cursor_), static_cast<size_t>(n));
        cursor_ += n;
    }
    if (*cursor_ != ',') out_.put(',');

    // The arguments.
    for (;;) {
        if (*cursor_ == 0) return true;
        while (*cursor_ == ' ' || *cursor_ == '\t') ++cursor_;
        if (*cursor_ == '"') {
            ++cursor_;
            const ArgumentEnd end = quotedArgument();
            if (end == ArgumentEnd::failed) return false;
            if (end == ArgumentEnd::nextArgument) continue;
        }
        if (plainArgument() == ArgumentEnd::commandDone) return true;
    }
}

// Inside double quotes: blanks, ";" and "<" are text; "," still separates.
Converter::ArgumentEnd Converter::quotedArgument() {
    for (;;) {
        const unsigned char* run = cursor_;
        cursor_ = skipRun(cursor_, kQuotedStop);
        putRun(run);
        switch (*cursor_) {
            case '"': ++cursor_; return ArgumentEnd::restIsPlain;
            case ',':
                out_.put(',');
                ++cursor_;
                return ArgumentEnd::nextArgument;
            case '\r':
                if (cursor_[1] != '\n') {
                    out_.put('\r');
                    ++cursor_;
                    continue;
                }
                [[fallthrough]];
            default:  // the end of the line or of the text
                showErrorBox(msg::unterminatedQuote.cp932());
                return ArgumentEnd::failed;
        }
    }
}

Converter::ArgumentEnd Converter::plainArgument() {
    for (;;) {
        const unsigned char* run = cursor_;
        cursor_ = skipRun(cursor_, kPlainStop);
        putRun(run);
        switch (*cursor_) {
            case '<':
                ++cursor_;  // dropped
                continue;
            case ',':
                out_.put(',');
                ++cursor_;
                return ArgumentEnd::nextArgument;
            case ';':
                writeTerminator();
                ++cursor_;
                if (cursor_[0] == '\r' && cursor_[1] == '\n') {
                    cursor_ += 2;
                    ++lineCounter_;
                }
                return ArgumentEnd::commandDone;
            case '\r':
                if (cursor_[1] == '\n') {
                    writeTerminator();
                    cursor_ += 2;
                    ++lineCounter_;
                    return ArgumentEnd::commandDone;
                }
                out_.put('\r');
                ++cursor_;
                continue;
            default:  // the end of the text
                return ArgumentEnd::commandDone;
        }
    }
}

}  // namespace qt::pre

#include "preprocessor/cmd_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/cp932.h"
#include "common/report.h"
#include "common/sjis.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

constexpr uint32_t kFirstCapacity = 4;
constexpr uint32_t kGrowth = 4;

CCmdLine::Reallocate reallocateFn = &std::realloc;

}  // namespace

void CCmdLine::setReallocate(Reallocate fn) { reallocateFn = fn != nullptr ? fn : &std::realloc; }

void* CCmdLine::allocate(void* old, size_t bytes) {
    void* p = reallocateFn(old, bytes);
    if (p == nullptr) memoryError();
    return p;
}

void CCmdLine::memoryError() {
    std::free(table_);
    std::free(text_);
    table_ = nullptr;
    text_ = nullptr;
    std::fflush(stdout);
    reportToStderr(msg::cmdLineCaption.cp932(), msg::outOfMemory.cp932());
    std::exit(1);
}

void CCmdLine::addArgument(char* start) {
    if (count_ == capacity_) {
        const uint64_t grown = static_cast<uint64_t>(capacity_) * kGrowth;
        if (grown > UINT32_MAX / sizeof(char*)) memoryError();
        table_ = static_cast<char**>(allocate(table_, grown * sizeof(char*)));
        capacity_ = static_cast<uint32_t>(grown);
    }
    table_[count_++] = start;
}

CCmdLine::CCmdLine(const char* commandLine) {
    const size_t length = std::strlen(commandLine);
    text_ = static_cast<char*>(allocate(nullptr, length + 1));
    std::memcpy(text_, commandLine, length + 1);
    table_ = static_cast<char**>(allocate(nullptr, kFirstCapacity * sizeof(char*)));
    capacity_ = kFirstCapacity;

    char* p = text_;
    for (;;) {
        while (*p == ' ') ++p;
        if (*p == '\0') return;
        char terminator = ' ';
        if (*p == '"') {
            terminator = '"';
            ++p;
        }
        addArgument(p);
        for (;; ++p) {
            if (*p == '\0') return;
            if (*p == terminator && byteKind(text_, p) == 0) {
                *p++ = '\0';
                break;
            }
        }
    }
}

CCmdLine::CCmdLine(int argc, const char* const* argv) {
    std::string joined;
    for (int i = 0; i < argc; ++i) {
        joined += utf8ToCp932(argv[i]);
        joined.push_back('\0');
    }
    text_ = static_cast<char*>(allocate(nullptr, joined.size() + 1));
    std::memcpy(text_, joined.data(), joined.size());
    text_[joined.size()] = '\0';
    table_ = static_cast<char**>(allocate(nullptr, kFirstCapacity * sizeof(char*)));
    capacity_ = kFirstCapacity;
    char* p = text_;
    for (int i = 0; i < argc; ++i) {
        addArgument(p);
        p += std::strlen(p) + 1;
    }
}

CCmdLine::~CCmdLine() {
    std::free(table_);
    std::free(text_);
}

const char* CCmdLine::argument(uint32_t index) const { return index < count_ ? table_[index] : nullptr; }

}  // namespace qt::pre

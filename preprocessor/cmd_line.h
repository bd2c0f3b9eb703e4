#pragma once
// The program's arguments as CP932 texts. Argument 0 is the program's path.
#include <cstddef>
#include <cstdint>

namespace qt::pre {

class CCmdLine {
public:
    // Splits one command-line text: blanks (spaces only) separate, a double
    // quote opens an argument that runs to the next double quote.
    explicit CCmdLine(const char* commandLine);
    // Takes the arguments the platform has already split, UTF-8 converted to
    // CP932 (bytes that are not UTF-8 stay as they are).
    CCmdLine(int argc, const char* const* argv);
    ~CCmdLine();
    CCmdLine(const CCmdLine&) = delete;
    CCmdLine& operator=(const CCmdLine&) = delete;

    uint32_t argumentCount() const { return count_; }
    // nullptr when `index` is not below the count.
    const char* argument(uint32_t index) const;

    // Allocation used for the text and the table; replaceable so that the
    // memory error can be exercised.
    using Reallocate = void* (*)(void*, size_t);
    static void setReallocate(Reallocate fn);

private:
    [[noreturn]] void memoryError();
    void addArgument(char* start);
    void* allocate(void* old, size_t bytes);

    uint32_t count_ = 0;
    char** table_ = nullptr;
    uint32_t capacity_ = 0;
    char* text_ = nullptr;
};

}  // namespace qt::pre

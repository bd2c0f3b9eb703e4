// convertFile on arbitrary sources and page sizes: no crash, no overrun, a
// result of 0 for every readable source (but a UTF-8 one that CP932 cannot
// hold), output that begins with the header and never holds a 0 byte, and
// the same bytes from the conversion in memory that qPre --check makes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "common/exe_folder.h"
#include "common/scenario_format.h"
#include "preprocessor/converter.h"

namespace {

std::string folder;

void ignoreReport(std::string_view, std::string_view) {}

void removeFolder() {
    ::unlink((folder + "/source.txt").c_str());
    ::unlink((folder + "/source.dat").c_str());
    ::rmdir(folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (folder.empty()) {
        // Memory-backed when there is such a folder: many small files.
        char shm[] = "/dev/shm/qt_fuzz_preXXXXXX";
        char tmp[] = "/tmp/qt_fuzz_preXXXXXX";
        const char* made = mkdtemp(shm);
        folder = made != nullptr ? made : mkdtemp(tmp);
        std::atexit(removeFolder);
        std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", folder.c_str());
    }
    if (size < 2) return 0;
    // The first two bytes choose the page size, small and negative included.
    qt::pre::PageLayout layout;
    layout.pageWidth = static_cast<int16_t>(static_cast<int8_t>(data[0]));
    layout.pageHeight = static_cast<int16_t>(static_cast<int8_t>(data[1]) % 16);
    data += 2;
    size -= 2;

    const std::string src = folder + "/source.txt";
    const std::string dst = folder + "/source.dat";
    if (FILE* f = std::fopen(src.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ::unlink(dst.c_str());
    const qt::pre::PageLayout start = layout;
    qt::pre::Converter converter(layout);
    converter.setReportSink(&ignoreReport);
    qt::pre::AuthorWarnings warnings;  // the checks run alongside, changing nothing
    converter.setWarnings(&warnings);
    const int result = converter.convertFile(src.c_str(), dst.c_str());
    if (size == 0) {
        if (result != -1) __builtin_trap();
        return 0;
    }
    if (result != 0) {
        const qt::pre::Failure what = converter.failure().what;
        if (what != qt::pre::Failure::noCp932Form && what != qt::pre::Failure::notUtf8) __builtin_trap();
        return 0;
    }
    std::ifstream in(dst, std::ios::binary);
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!out.starts_with(qt::scenario::kHeaderLine)) __builtin_trap();
    qt::pre::PageLayout again = start;
    qt::pre::Converter inMemory(again);
    std::string memory;
    qt::pre::ConversionRecord record;
    if (inMemory.convertToMemory(src.c_str(), &memory, &record) != 0 || memory != out) __builtin_trap();
    if (again.pageLine != layout.pageLine) __builtin_trap();
    if (out.find('\0') != std::string::npos) __builtin_trap();
    // Only body text (the output holds every byte it wrote) and the source's
    // line ends are checked.
    const bool mayWarn = out.find_first_of(",\"/", 4) != std::string::npos || std::memchr(data, '\n', size) != nullptr;
    if (!warnings.empty() && (!mayWarn || warnings.report(src).empty())) __builtin_trap();
    return 0;
}

#pragma once
// qPre's main flow: settings, command line, one of the three modes, the
// ENTER prompt and the finish executable.
#include <string>
#include <vector>

#include "preprocessor/console.h"
#include "preprocessor/converter.h"
#include "preprocessor/file_list.h"
#include "preprocessor/page_layout.h"
#include "preprocessor/pre_settings.h"

namespace qt::pre {

class Driver {
public:
    Driver(const PreSettings& settings, const Console& console);

    // `args` are CP932, made absolute; args[0] is the program. The exit
    // code: 1 when a conversion failed or the file list could not be read.
    int run(const std::vector<std::string>& args);

private:
    void droppedFilesMode(const std::vector<std::string>& args);
    void fileListMode();
    void finish(bool startExe);
    void print(const std::string& cp932) const { console_.print(cp932); }
    // convertFile, followed by the file's warnings when they are asked for.
    int convert(const char* source, const char* output);

    PreSettings settings_;
    const Console& console_;
    PageLayout layout_;
    Converter converter_;
    FileListReader reader_;
    FileListWriter writer_;
    AuthorWarnings warnings_;
    bool failed_ = false;  // a conversion failed, or the list could not be read
};

// The whole program; returns the exit code.
int runQPre(int argc, const char* const* argv);

}  // namespace qt::pre

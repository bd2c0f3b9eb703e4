#include "preprocessor/driver.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/exe_folder.h"
#include "common/paths.h"
#include "preprocessor/absolute_path.h"
#include "preprocessor/change_extension.h"
#include "preprocessor/cmd_line.h"
#include "preprocessor/failure.h"
#include "preprocessor/finish_exe.h"
#include "preprocessor/folder_mode.h"
#include "preprocessor/game_check.h"
#include "preprocessor/output_file.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

constexpr char kNewLine[] = "\r\n";
constexpr size_t kOutputNameSize = kPathSize + 4;

}  // namespace

Driver::Driver(const PreSettings& settings, const Console& console)
    : settings_(settings), console_(console), converter_(layout_) {
    layout_.pageWidth = settings.pageWidth;
    layout_.pageHeight = settings.pageHeight;
    converter_.setIniPageSize(settings.pageWidth, settings.pageHeight);
    if (settings.warnings) converter_.setWarnings(&warnings_);
}

int Driver::convert(const char* source, const char* output) {
    const int result = converter_.convertFile(source, output);
    if (result == 0 && !warnings_.empty()) {
        print(warnings_.report(source));
    }
    if (result == 0 && converter_.zeroByteLine() != 0) {
        reportFailure(describeZeroByte(source, converter_.zeroByteLine()));
    }
    if (result != 0) {
        reportFailure(describeFailure(converter_.failure(), source, output));
        failed_ = true;
    }
    return result;
}

int Driver::run(const std::vector<std::string>& args) {
    failed_ = false;
    bool startExe = false;
    if (args.size() <= 1) {
        fileListMode();
        startExe = !failed_;
    } else if (!pathExists(args[1])) {
        // Folder mode still, but a mistyped name must not leave an empty list.
        reportFailure(args[1] + ": " + msg::reasonNotFound.cp932());
        runFolderMode(args[1], settings_, console_, nullptr);
    } else if (folderExists(args[1])) {
        runFolderMode(args[1], settings_, console_, &writer_);
    } else {
        droppedFilesMode(args);
    }
    finish(startExe);
    return failed_ ? 1 : 0;
}

void Driver::droppedFilesMode(const std::vector<std::string>& args) {
    print(msg::droppedStart.cp932() + kNewLine);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& source = args[i];
        char output[kOutputNameSize];
        if (source.size() >= kPathSize) {
            print(msg::outputNameFailed.cp932() + kNewLine);
            failed_ = true;
            return;
        }
        std::memcpy(output, source.c_str(), source.size() + 1);
        if (changeExtension(output, kPathSize, settings_.extAfter) == 0) {
            print(msg::outputNameFailed.cp932() + kNewLine);
            failed_ = true;
            return;
        }
        if (convert(source.c_str(), output) != 0) {
            print(msg::droppedFailed.cp932() + kNewLine);
        }
    }
    print(msg::runEnd.cp932() + kNewLine);
}

void Driver::fileListMode() {
    if (!reader_.open(settings_.fileListPath)) {
        const FailureDetail& why = reader_.failure();
        if (why.what == Failure::notFound) {
            print(msg::listMissing.cp932() + "\t" + settings_.fileListPath + kNewLine);
        } else {
            reportFailure(describeFailure(why, settings_.fileListPath, settings_.fileListPath));
        }
        failed_ = true;
        return;
    }
    for (;;) {
        char source[kPathSize];
        char output[kPathSize];
        bool tooLong = false;
        const auto entry = reader_.readEntry(source, kPathSize, output, kPathSize, &tooLong);
        if (tooLong) {
            // A cut path would name some other file.
            print(msg::outputNameFailed.cp932() + kNewLine);
            failed_ = true;
            break;
        }
        if (entry == FileListReader::Entry::none) break;
        print(std::string("\n ") + source + "\t" + msg::entryArrow.cp932() + "\t" + output + kNewLine);
        if (convert(source, output) != 0) print(msg::entryFailed.cp932() + kNewLine);
        if (entry == FileListReader::Entry::lastEntry) break;
    }
    print(msg::runEnd.cp932() + kNewLine);
}

void Driver::finish(bool startExe) {
    if (settings_.waitForEnter) console_.waitForEnter(msg::enterPrompt.cp932());
    if (!startExe || !settings_.startFinishExe) return;
    char exe[kFinishExeSize];
    readFinishExe(exe, sizeof exe);
    if (exe[0] == '\0') return;
    if (!startFinishExe(exe)) print(msg::finishMissing.cp932() + "\t" + exe + kNewLine);
}

int runQPre(int argc, const char* const* argv) {
    // Neither option reads the settings, enters a mode or waits for ENTER.
    const std::string_view option = argc >= 2 ? argv[1] : "";
    if (option == "--help" || option == "--version") {
        const Console console;
        console.print(option == "--help" ? msg::usage.cp932() : msg::programName.cp932() + " " QT_PROJECT_VERSION "\n");
        std::fflush(stdout);
        return 0;
    }
    // Taken before the program moves into its own folder.
    const std::string started = startFolder();
    getExeFolder(exeFolder);
    // When this fails, relative paths resolve against wherever the program
    // was started; the settings are read by their absolute path either way.
    const char* ownFolder = exeFolderOnDisk();
    const bool inOwnFolder = ownFolder[0] != '\0' && ::chdir(ownFolder) == 0;
    static_cast<void>(inOwnFolder);
    PreSettings settings = loadSettings();
    // qRun's F5: the file list, with nobody to press ENTER and qRun already up.
    const bool batch = option == "--batch";
    if (batch) {
        settings.waitForEnter = false;
        settings.startFinishExe = false;
    }
    const CCmdLine cmdLine(batch ? 1 : argc, argv);
    const bool check = option == "--check";
    std::vector<std::string> args;
    for (uint32_t i = 0; i < cmdLine.argumentCount(); ++i) {
        const char* arg = cmdLine.argument(i);
        if (check && i == 1) continue;
        args.push_back(i == 0 ? std::string(arg) : absolutePath(started, arg));
    }
    static const Console console;
    if (check) {
        // Writes nothing, so waits for no ENTER and starts nothing either.
        const int code = runCheck(std::vector<std::string>(args.begin() + 1, args.end()), settings, console);
        std::fflush(stdout);
        return code;
    }
    removeTemporaryFileOnSignals();
    static Driver driver(settings, console);
    const int code = driver.run(args);
    std::fflush(stdout);
    return code;
}

}  // namespace qt::pre

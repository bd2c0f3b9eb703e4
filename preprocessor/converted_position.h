#pragma once
// Where a line that an author points at stands in the converted scenario
// (qRun --from): a line of a converted file is itself; a source line is
// where the converted text of that line begins, found by converting in
// memory exactly as qPre would.
#include <cstdint>
#include <string>

namespace qt::pre {

struct ConvertedPosition {
    std::string output;  // the converted scenario, as spelled on disk
    // A converted file given: `line` as the engine counts it (the header is
    // line 1), offset -1. A source given: the byte offset where the text of
    // its line begins, line 0.
    int32_t line = 0;
    int64_t offset = -1;
    // The source was changed after its converted file was written.
    bool stale = false;
};

enum class Located {
    found,
    notConverted,  // a source whose converted file does not exist
    pastEnd,       // a source line after its last line
    listInUse,     // the file list cannot be read (another qPre has it, ...)
    failed,        // the conversion up to the line could not be done
};

// `diskPath` names an existing file; exeFolder must be set and be the working
// folder. A file with the output extension is a converted one; any other is
// looked up among the file list's outputs, then its sources (the entries
// before it converted first, whose page position carries on); one not listed
// is a source converted alone to the file beside it with that extension.
Located locateConverted(const std::string& diskPath, int32_t line, ConvertedPosition& out);

}  // namespace qt::pre

#include "imaging/LeadError.h"

#include <cstring>

namespace {

thread_local std::string lastWarning;
thread_local unsigned warningCount = 0;

// The library says "out of memory" in its error text when an allocation fails; nothing else
// tells that failure from a file it cannot read.
bool SaysOutOfMemory(const std::string& text) {
    return text.find("out of memory") != std::string::npos ||
           text.find("memory allocation failed") != std::string::npos;
}

// The last line of the library's error text that says something, without the name of the
// part that raised it ("VipsJpeg: ", "vips_region_prepare: "): the decoder's own words; empty
// when no line does.
std::string ReasonOf(const std::string& text) {
    std::string reason;
    std::string fallback;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        std::string line = text.substr(from, to - from);
        from = to + 1;
        const size_t colon = line.find(": ");
        const bool named = colon != std::string::npos && line.find(' ') >= colon &&
                           (line.compare(0, 4, "Vips") == 0 || line.compare(0, 4, "vips") == 0);
        if (named) line = line.substr(colon + 2);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        // The library's own bookkeeping about a failed tile or read says less than the
        // decoder's message beside it.
        const bool bookkeeping = line.rfind("error in tile", 0) == 0 ||
                                 line.rfind("out of order read", 0) == 0 ||
                                 line.rfind("read gave", 0) == 0 || line == "stop";
        (bookkeeping ? fallback : reason) = line;
    }
    return reason.empty() ? fallback : reason;
}

}  // namespace

LibraryWords MarkLibraryWords() {
    return {std::strlen(vips_error_buffer()), warningCount};
}

void NoteLibraryWarning(const char* message) {
    lastWarning = message ? message : "";
    ++warningCount;
}

LeadError FromLibrary(const vips::VError& error, LeadError::Kind kind, const LibraryWords& since) {
    std::string text = error.what();
    // Older messages, of earlier failures on any thread, are no part of this one's reason
    // (unless the text was cleared meanwhile and holds only newer ones).
    if (text.size() >= since.errorLength) text.erase(0, since.errorLength);
    std::string reason = ReasonOf(text);
    if (reason.empty() && warningCount != since.warnings) reason = ReasonOf(lastWarning);
    if (reason.empty()) reason = "the image data cannot be decoded";
    // The library collects its messages until they are cleared; clearing them here could take
    // another worker's failure text before it is read, so only a long text goes.
    if (std::strlen(vips_error_buffer()) > 4096) vips_error_clear();
    return LeadError(reason, SaysOutOfMemory(text) ? LeadError::Kind::OutOfMemory : kind);
}

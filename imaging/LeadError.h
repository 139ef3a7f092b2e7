#pragma once

#include <new>
#include <stdexcept>
#include <string>
#include <vips/vips8>

// Raised by every CLead operation that fails. Callers guard a sequence of calls and map a
// failure to one message by its kind; what() is the library's reason, short enough to show.
class LeadError : public std::runtime_error {
public:
    enum class Kind {
        Failed,       // an operation, an encoder or a write failed
        Unreadable,   // no decoder can read the file's pixels (or its header)
        OutOfMemory,  // an allocation failed
    };
    explicit LeadError(const std::string& reason, Kind kind = Kind::Failed)
        : std::runtime_error(reason), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// How much the library had said when a piece of work began: the length of its error text,
// which every thread shares and which collects messages until it is cleared, and the warnings
// logged on this thread. A failure's reason is what the library said after the mark.
struct LibraryWords {
    size_t errorLength = 0;
    unsigned warnings = 0;
};
LibraryWords MarkLibraryWords();

// The library's failure as a LeadError of the kind given (OutOfMemory when an allocation
// failed), with the decoder's own words since the mark as its reason: its error text, or else
// the warning a loader logged instead (some say why a header is wrong only there).
LeadError FromLibrary(const vips::VError& error, LeadError::Kind kind, const LibraryWords& since);

// Notes a warning the library logged on this thread (ImagingSetup's log handler calls it).
void NoteLibraryWarning(const char* message);

// Runs one piece of libvips work and turns its failure into a LeadError of the kind given.
template <typename Work>
auto Guard(Work&& work, LeadError::Kind kind = LeadError::Kind::Failed) -> decltype(work()) {
    const LibraryWords mark = MarkLibraryWords();
    try {
        return work();
    } catch (const LeadError&) {
        throw;
    } catch (const vips::VError& error) {
        throw FromLibrary(error, kind, mark);
    } catch (const std::bad_alloc&) {
        throw LeadError("out of memory", LeadError::Kind::OutOfMemory);
    } catch (const std::runtime_error& error) {
        throw LeadError(error.what(), kind);
    }
}

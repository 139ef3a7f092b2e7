#pragma once

#include <cstddef>
#include <optional>

// How much heap a piece of code takes: the bytes it still holds (a decoder's picture, held
// lazily or not), and in the sanitizer build, whose allocator reports every allocation and
// every release, the most it held at any moment. One meter at a time.
class HeapMeter {
public:
    HeapMeter();
    ~HeapMeter();
    HeapMeter(const HeapMeter&) = delete;
    HeapMeter& operator=(const HeapMeter&) = delete;

    // Bytes held now beyond those held when the meter started (0 when fewer).
    size_t Held() const;
    // The most bytes held beyond the start at any moment since; nullopt where the allocator
    // cannot tell (the plain build).
    std::optional<size_t> Peak() const;

private:
    size_t start_;
};

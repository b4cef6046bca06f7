#pragma once
// Reads one segment's bytes front to back. A read past the end fails the reader, takes
// nothing and gives zeros, so a parser reads its fields and asks once whether they were there.
#include <cstddef>

namespace zv {

class ByteReader {
public:
    ByteReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    unsigned U8() {
        const unsigned char* p = Take(1);
        return p ? p[0] : 0;
    }
    // Big-endian, as JPEG writes its numbers.
    unsigned Be16() {
        const unsigned char* p = Take(2);
        return p ? (unsigned{p[0]} << 8) | p[1] : 0;
    }
    // The next `count` bytes, or null (and the reader failed) when fewer are left.
    const unsigned char* Take(size_t count) {
        if (count > Left()) {
            failed_ = true;
            return nullptr;
        }
        const unsigned char* p = data_ + at_;
        at_ += count;
        return p;
    }
    bool Skip(size_t count) { return Take(count) != nullptr; }

    size_t Left() const { return failed_ ? 0 : size_ - at_; }
    bool ok() const { return !failed_; }

private:
    const unsigned char* data_;
    size_t size_;
    size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace zv

#include "pictures/exif_orientation.h"

#include <cstddef>
#include <cstring>

#include "pictures/byte_reader.h"

namespace zv {
namespace {

constexpr unsigned kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kApp1 = 0xE1;
constexpr char kExifName[6] = {'E', 'x', 'i', 'f', '\0', '\0'};
constexpr unsigned kOrientationTag = 0x0112, kTypeShort = 3;

// A number of the TIFF data, in the byte order its header names.
unsigned Tiff16(ByteReader& r, bool little) {
    const unsigned char* p = r.Take(2);
    if (!p) return 0;
    return little ? p[0] | (unsigned{p[1]} << 8) : (unsigned{p[0]} << 8) | p[1];
}

unsigned long Tiff32(ByteReader& r, bool little) {
    const unsigned long high = Tiff16(r, little), low = Tiff16(r, little);
    return little ? (low << 16) | high : (high << 16) | low;
}

}  // namespace

std::string_view ExifSegmentOf(std::string_view jpeg) {
    ByteReader r(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    if (r.U8() != 0xFF || r.U8() != kSoi) return {};
    for (;;) {
        // A marker, after any fill bytes; anything else between segments ends the search.
        if (r.U8() != 0xFF) return {};
        unsigned marker = r.U8();
        while (marker == 0xFF && r.ok()) marker = r.U8();
        if (!r.ok() || marker == kSos || marker == kEoi || marker == kSoi) return {};
        const size_t length = r.Be16();
        if (!r.ok() || length < 2) return {};
        const unsigned char* body = r.Take(length - 2);
        if (!body) return {};
        if (marker == kApp1 && length - 2 >= sizeof kExifName && std::memcmp(body, kExifName, sizeof kExifName) == 0)
            return std::string_view(reinterpret_cast<const char*>(body), length - 2);
    }
}

int OrientationInExif(std::string_view segment) {
    if (segment.size() < sizeof kExifName || std::memcmp(segment.data(), kExifName, sizeof kExifName) != 0)
        return kOrientationAsStored;
    // Offsets count from the TIFF header, which follows the name.
    const auto* tiff = reinterpret_cast<const unsigned char*>(segment.data()) + sizeof kExifName;
    const size_t size = segment.size() - sizeof kExifName;
    ByteReader header(tiff, size);
    const unsigned order = header.Be16();
    if (order != 0x4949 && order != 0x4D4D) return kOrientationAsStored;  // "II" little-endian, "MM" big
    const bool little = order == 0x4949;
    if (Tiff16(header, little) != 42) return kOrientationAsStored;
    const unsigned long ifd = Tiff32(header, little);
    if (!header.ok() || ifd > size) return kOrientationAsStored;

    ByteReader entries(tiff + ifd, size - ifd);
    const unsigned count = Tiff16(entries, little);
    for (unsigned i = 0; i < count && entries.ok(); ++i) {
        const unsigned tag = Tiff16(entries, little), type = Tiff16(entries, little);
        const unsigned long values = Tiff32(entries, little);
        // A single SHORT sits in the first two bytes of the four-byte value field.
        const unsigned value = Tiff16(entries, little);
        entries.Skip(2);
        if (!entries.ok()) break;
        if (tag != kOrientationTag) continue;
        if (type != kTypeShort || values != 1 || value < 1 || value > 8) return kOrientationAsStored;
        return static_cast<int>(value);
    }
    return kOrientationAsStored;
}

int JpegOrientation(std::string_view jpeg) { return OrientationInExif(ExifSegmentOf(jpeg)); }

}  // namespace zv

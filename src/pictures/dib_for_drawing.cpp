#include "pictures/dib_for_drawing.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "pictures/dib_format.h"

namespace zv {
namespace {

using namespace dib;

// [at, at + length) of the bytes; the layout comes from the parser, which keeps its parts
// inside, so a range outside is a fault of ours, not of the file.
const char* Range(const std::string& bytes, size_t at, size_t length) {
    if (at > bytes.size() || length > bytes.size() - at) throw std::logic_error("bitmap layout outside its bytes");
    return bytes.data() + at;
}

void Put16(std::vector<char>& out, size_t at, uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::vector<char>& out, size_t at, uint32_t value) {
    Put16(out, at, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, at + 2, static_cast<uint16_t>(value >> 16));
}

// A core header's fields in a BITMAPINFOHEADER, and its RGBTRIPLEs as RGBQUADs.
void WidenCoreHeader(const std::string& bytes, const DibLayout& d, std::vector<char>& info, size_t table_at) {
    Put32(info, 0, kInfoHeaderSize);
    Put32(info, kInfoWidth, static_cast<uint32_t>(d.width));
    Put32(info, kInfoHeight, static_cast<uint32_t>(d.height));
    Put16(info, kInfoPlanes, 1);
    Put16(info, kInfoBitCount, d.bit_count);
    Put32(info, kInfoCompression, kBiRgb);
    const char* triples =
        Range(bytes, d.header_offset + kCoreHeaderSize, size_t{d.palette_entries} * kRgbTripleSize);
    for (size_t i = 0; i < d.palette_entries; ++i)
        std::memcpy(info.data() + table_at + i * kRgbQuadSize, triples + i * kRgbTripleSize, kRgbTripleSize);
}

// The first 40 bytes of the header as they are (a longer header's other fields are not
// needed to draw), the masks wherever the header keeps them, and the colour table.
void CopyInfoHeader(const std::string& bytes, const DibLayout& d, std::vector<char>& info, size_t masks,
                    size_t table_at) {
    std::memcpy(info.data(), Range(bytes, d.header_offset, kInfoHeaderSize), kInfoHeaderSize);
    Put32(info, 0, kInfoHeaderSize);
    Put32(info, kInfoClrUsed, d.palette_entries);
    if (masks) std::memcpy(info.data() + kInfoHeaderSize, Range(bytes, d.header_offset + d.masks_offset, masks), masks);
    const size_t table = size_t{d.palette_entries} * kRgbQuadSize;
    // The table ends the information the layout counts, after the header and any masks.
    if (d.info_size < table) throw std::logic_error("bitmap colour table larger than its information");
    std::memcpy(info.data() + table_at, Range(bytes, d.header_offset + d.info_size - table, table), table);
}

}  // namespace

const unsigned char* DibForDrawing::ColourTable() const {
    return reinterpret_cast<const unsigned char*>(info.data()) + info.size() - colours * kRgbQuadSize;
}

DibForDrawing BuildDibForDrawing(const std::string& bytes, const DibLayout& d) {
    DibForDrawing out;
    out.width = d.width;
    out.height = d.height < 0 ? -d.height : d.height;
    out.bit_count = d.bit_count;
    out.colours = d.palette_entries;
    // The masks always go right after the header we hand on.
    const size_t masks = d.compression == kBiBitfields ? kMasksSize : 0;
    const size_t table_at = kInfoHeaderSize + masks;
    out.info.assign(table_at + out.colours * kRgbQuadSize, 0);
    if (d.header_size == kCoreHeaderSize)
        WidenCoreHeader(bytes, d, out.info, table_at);
    else
        CopyInfoHeader(bytes, d, out.info, masks, table_at);

    const bool rle = IsRle(d.compression);
    // Rows cut short are left as zeros rather than read from beyond the file.
    out.bits.assign(rle ? d.bits_available + 2 : d.bits_size, 0);
    if (!rle && d.bits_available > d.bits_size) throw std::logic_error("bitmap pixels longer than the picture");
    if (d.bits_available) std::memcpy(out.bits.data(), Range(bytes, d.bits_offset, d.bits_available), d.bits_available);
    if (rle) {
        out.bits[d.bits_available + 1] = 1;  // end of bitmap: escape 0, then 1
        Put32(out.info, kInfoSizeImage, static_cast<uint32_t>(out.bits.size()));
    }
    return out;
}

DibForDrawing DibFromBitmapFile(const std::string& bytes) {
    bool empty = false;
    const DibLayout layout = ParseBitmapFile(bytes, empty);
    if (empty) return DibForDrawing();
    return BuildDibForDrawing(bytes, layout);
}

DibForDrawing DibFromPackedDib(const std::string& bytes) { return BuildDibForDrawing(bytes, ParsePackedDib(bytes, 0)); }

}  // namespace zv

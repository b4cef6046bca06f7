#include "map_rules_oracle.h"

#include "base/code_page.h"
#include "base/file_system.h"
#include "memory_file_system.h"

namespace zv::testing {
namespace {

void AddFinding(std::string& report, const std::string& finding) {
    if (!report.empty()) report += "\r\n";
    report += finding;
}

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t Below(uint32_t n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % n;
    }

private:
    uint32_t state_;
};

// 表 and ソ end in "\", ア in "A", ａ (full-width) in 0x81; "\x83" alone is a lead byte that
// takes whatever follows as its trail byte.
const char* const kPieces[] = {"a", "A", "b", "B", "ab", "\\", ".", " ", "\x95\x5C", "\x83\x5C", "\x83\x41",
                               "\x82\x81", "\x82\x60", "\x83"};
const char* const kPaths[] = {"C:\\a.jpg", "C:\\b.jpg", "C:\\none.jpg", "", "C:\\dir", "C:\\a.jpg=x"};

std::string Pieces(Random& random, uint32_t most) {
    std::string text;
    for (uint32_t n = random.Below(most + 1); n > 0; --n) text += kPieces[random.Below(sizeof kPieces / sizeof *kPieces)];
    return text;
}

}  // namespace

bool KeyMatchesByTheRule(const std::string& key, const std::string& header, const CodePage& cp) {
    if (key.empty() || header.size() < key.size()) return false;
    for (size_t i = 0; i + key.size() <= header.size(); ++i) {
        if (header.compare(i, key.size(), key) == 0) return true;
        if (cp.IsLeadByte(static_cast<unsigned char>(header[i]))) ++i;
    }
    return false;
}

std::string CheckMapByTheRule(const MapLines& lines, FileSystem& fs, const CodePage& cp) {
    std::string report;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string key = KeyOf(lines[i]);
        for (size_t j = 0; j < i; ++j) {
            if (KeyMatchesByTheRule(KeyOf(lines[j]), key, cp)) {
                AddFinding(report, "アドレス " + key + " が使用されることはありません。");
                break;
            }
        }
    }
    for (const auto& line : lines) {
        const std::string path = PathOf(lines, KeyOf(line), cp);
        if (!IsExistingFile(fs, path)) AddFinding(report, path + " ファイルが存在しません。");
    }
    return report;
}

std::vector<TileFill> MatchingTilesByTheRule(const MapLines& map, const std::string& header, const CodePage& cp) {
    std::vector<TileFill> tiles;
    for (const auto& line : map) {
        const std::string key = KeyOf(line);
        if (!KeyMatchesByTheRule(key, header, cp)) continue;
        tiles.push_back({key, PathOf(map, key, cp)});
        if (tiles.size() == kMaxTilesPerRow) break;
    }
    return tiles;
}

void AddGeneratedPictures(MemoryFileSystem& fs) {
    fs.files["C:\\a.jpg"] = "x";
    fs.files["C:\\b.jpg"] = "x";
    fs.files["C:\\a.jpg=x"] = "x";
    fs.directories.insert("C:\\dir");
}

MapLines GeneratedMap(uint32_t seed, size_t max_lines) {
    Random random(seed);
    MapLines lines(random.Below(static_cast<uint32_t>(max_lines) + 1));
    for (auto& line : lines) {
        const uint32_t kind = random.Below(10);
        const std::string path = kPaths[random.Below(sizeof kPaths / sizeof *kPaths)];
        if (kind == 0)
            line = Pieces(random, 3);  // no "=" (no piece holds one)
        else if (kind == 1)
            line = "=" + path;
        else
            line = Pieces(random, 4) + "=" + path;
    }
    return lines;
}

std::string GeneratedHeader(uint32_t seed, const MapLines& map) {
    Random random(seed ^ 0x5A5A5A5Au);
    std::string header;
    for (uint32_t n = random.Below(6); n > 0; --n) {
        header += Pieces(random, 2);
        if (!map.empty()) header += KeyOf(map[random.Below(static_cast<uint32_t>(map.size()))]);
    }
    return header;
}

}  // namespace zv::testing

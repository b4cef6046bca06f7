#include "map_mix.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace bench {
namespace {

// Family names in code page 932 (the build's execution character set): 表, 能, ソ and 十
// end in the trail byte 0x5C ("\"), 山, ア and イ in letters.
const char* const kNames[] = {"山田", "表", "能登", "ソニア", "アイ", "佐藤", "鈴木", "高橋", "田中", "十河"};

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next(uint32_t below) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % below;
    }

private:
    uint32_t state_;
};

std::string Number(size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%05zu", n);
    return text;
}

std::string Capitals(std::string key) {
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

std::string PathIn(const std::string& folder, size_t line, const char* stem) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "\\d%03zu\\%s%05zu.jpg", line / 100, stem, line);
    return folder + tail;
}

}  // namespace

std::string PicturePath(const std::string& folder, size_t line) { return PathIn(folder, line, "u"); }

MapMix MakeMapMix(size_t lines, const std::string& folder) {
    MapMix mix;
    mix.lines = lines;
    Random random(22);
    std::vector<std::string> keys;  // each line's own key (an earlier one for the repeats)
    std::vector<size_t> own;        // lines with a key of their own, what the repeats copy
    std::vector<std::string> names;
    for (size_t i = 0; i < lines; ++i) {
        const uint32_t kind = random.Next(100);
        const char* name = kNames[random.Next(sizeof kNames / sizeof kNames[0])];
        std::string key, path = PicturePath(folder, i);
        const std::string earlier = own.empty() ? std::string() : keys[own[random.Next(own.size())]];
        if (kind < 2 && !own.empty()) {
            key = "old." + earlier;
            ++mix.shadowed;
        } else if (kind < 3 && !own.empty()) {
            key = earlier;
            ++mix.shadowed;
        } else if (kind < 5 && !own.empty()) {
            key = Capitals(earlier);
            ++mix.case_variants;
        } else if (kind < 15) {
            key = name + Number(i) + "@example.co.jp";
            ++mix.double_byte;
            own.push_back(i);
        } else {
            key = "user" + Number(i) + "@example.co.jp";
            own.push_back(i);
        }
        if (kind >= 5 && kind < 10) {
            path = PathIn(folder, i, "gone");
            ++mix.missing;
        }
        keys.push_back(key);
        names.push_back(name);
        mix.text += key + "=" + path + "\r\n";
    }
    // Twenty addresses a header, from lines spread over the whole map, each with its name.
    std::string* headers[] = {&mix.to, &mix.cc, &mix.bcc};
    for (size_t k = 0; k < 60 && k < own.size(); ++k) {
        const size_t line = own[std::min(own.size() - 1, own.size() * k / 60 + k % 7)];
        std::string& header = *headers[k / 20];
        if (!header.empty()) header += ", ";
        header += names[line] + " <" + keys[line] + ">";
    }
    return mix;
}

std::string PlainMissingMap(size_t lines) {
    std::string text;
    for (size_t i = 0; i < lines; ++i) text += "user" + Number(i) + "@example.co.jp=C:\\pics\\u" + Number(i) + ".jpg\r\n";
    return text;
}

}  // namespace bench

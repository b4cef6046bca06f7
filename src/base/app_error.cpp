#include "app_error.h"

#include <cstdio>

namespace zv {

std::string FormatMessageText(const char* pattern, const std::string& arg) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += arg;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string FormatMessageText(const char* pattern, int arg) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d", arg);
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd') {
            out += buf;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace zv

#include "engine/common/text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vantorel::text {
namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    std::size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    char32_t cp = b0 & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Windows-1252 0x80-0x9F; the five holes map to the C1 controls as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = sequenceLength(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = sequenceLength(utf8, i);
        if (len == 0) {
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t cp = static_cast<unsigned char>(utf8[i]);
        if (len > 1) {
            cp &= (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        i += len;
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0)
            appendUtf8(out, kCp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = sequenceLength(utf8, i);
        if (len == 0) return std::nullopt;
        char32_t cp = static_cast<unsigned char>(utf8[i]);
        if (len > 1) {
            cp &= (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        const auto* hit = std::find(kCp1252High.begin(), kCp1252High.end(), cp);
        if (hit == kCp1252High.end()) return std::nullopt;
        out.push_back(static_cast<char>(0x80 + (hit - kCp1252High.begin())));
    }
    return out;
}

std::string decodeLegacyText(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    return cp1252ToUtf8(bytes);
}

std::size_t utf8Length(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string utf8Left(std::string_view utf8, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (seen == characters) return std::string(utf8.substr(0, i));
            ++seen;
        }
    }
    return std::string(utf8);
}

std::string trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string replaceAll(std::string_view text, std::string_view marker, std::string_view value) {
    if (marker.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(marker, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(value);
        pos = hit + marker.size();
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace vantorel::text

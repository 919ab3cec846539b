#include "engine/launcher/key_string.h"

#include <cctype>

#include "engine/launcher/send_keys.h"

namespace vantorel::launcher {
namespace {

std::string lowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// The last UTF-8 character of a text.
std::string_view lastCharacter(std::string_view s) {
    if (s.empty()) return s;
    std::size_t i = s.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return s.substr(i);
}

}  // namespace

KeyString readKeyString(std::string_view teclas) {
    KeyString k;
    k.ctrl = teclas.size() > 0 && teclas[0] == '1';
    k.alt = teclas.size() > 1 && teclas[1] == '1';
    k.shift = teclas.size() > 2 && teclas[2] == '1';
    if (teclas.size() >= 4) k.key = lowerAscii(lastCharacter(teclas));
    return k;
}

std::string BuildKeyString(bool ctrl, bool alt, bool shift, std::string_view key) {
    std::string s;
    s += ctrl ? '1' : '0';
    s += alt ? '1' : '0';
    s += shift ? '1' : '0';
    s += lowerAscii(key);
    return s;
}

std::string keySequenceFor(const KeyString& keys) {
    if (keys.key.empty()) return {};
    std::string seq;
    if (keys.ctrl) seq += '^';
    if (keys.alt) seq += '%';
    if (keys.shift) seq += '+';
    // The key itself may be a character with a meaning in the notation ("+", "~", ...).
    seq += escapeForSendKeys(keys.key);
    return seq;
}

long settingNumber(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    long n = 0;
    bool any = false;
    while (i < value.size() && std::isdigit(static_cast<unsigned char>(value[i]))) {
        if (n < 100000000) n = n * 10 + (value[i] - '0');
        ++i;
        any = true;
    }
    if (!any) return 0;
    return negative ? -n : n;
}

}  // namespace vantorel::launcher

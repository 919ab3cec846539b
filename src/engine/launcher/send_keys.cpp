#include "engine/launcher/send_keys.h"

#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <utility>

#include "engine/common/error.h"
#include "engine/launcher/launch_plan.h"

namespace vantorel::launcher {
namespace {

constexpr const char* kSource = "prVantor.frmLauncher.SendKeys";

Error invalidNotation(std::string_view notation, std::string_view why) {
    return Error(ErrorCategory::Launch, error::kBadKeyNotation, kSource,
                 "Invalid key notation \"" + std::string(notation) + "\": " + std::string(why),
                 {std::string(notation), std::string(why)});
}

struct Named {
    std::string_view name;
    std::string_view keysym;
};

// The named keys of the notation and the X keysyms that type them.
// clang-format off
constexpr std::array<Named, 33> kNamedKeys{{
    {"ENTER", "Return"},        {"TAB", "Tab"},             {"ESC", "Escape"},        {"ESCAPE", "Escape"},
    {"BACKSPACE", "BackSpace"}, {"BS", "BackSpace"},        {"BKSP", "BackSpace"},    {"DELETE", "Delete"},
    {"DEL", "Delete"},          {"INSERT", "Insert"},       {"INS", "Insert"},        {"HOME", "Home"},
    {"END", "End"},             {"PGUP", "Prior"},          {"PGDN", "Next"},         {"UP", "Up"},
    {"DOWN", "Down"},           {"LEFT", "Left"},           {"RIGHT", "Right"},       {"BREAK", "Break"},
    {"CAPSLOCK", "Caps_Lock"},  {"NUMLOCK", "Num_Lock"},    {"SCROLLLOCK", "Scroll_Lock"},
    {"PRTSC", "Print"},         {"HELP", "Help"},           {"ADD", "KP_Add"},        {"SUBTRACT", "KP_Subtract"},
    {"MULTIPLY", "KP_Multiply"}, {"DIVIDE", "KP_Divide"},   {"SPACE", "space"},       {"CLEAR", "Clear"},
    {"LWIN", "Super_L"},        {"RWIN", "Super_R"},
}};

// X keysym names of the printable ASCII characters that are not letters or digits.
struct Punctuation {
    char c;
    std::string_view keysym;
};
constexpr std::array<Punctuation, 33> kPunctuation{{
    {' ', "space"},      {'!', "exclam"},     {'"', "quotedbl"},     {'#', "numbersign"}, {'$', "dollar"},
    {'%', "percent"},    {'&', "ampersand"},  {'\'', "apostrophe"},  {'(', "parenleft"},  {')', "parenright"},
    {'*', "asterisk"},   {'+', "plus"},       {',', "comma"},        {'-', "minus"},      {'.', "period"},
    {'/', "slash"},      {':', "colon"},      {';', "semicolon"},    {'<', "less"},       {'=', "equal"},
    {'>', "greater"},    {'?', "question"},   {'@', "at"},           {'[', "bracketleft"}, {'\\', "backslash"},
    {']', "bracketright"}, {'^', "asciicircum"}, {'_', "underscore"}, {'`', "grave"},     {'{', "braceleft"},
    {'|', "bar"},        {'}', "braceright"}, {'~', "asciitilde"},
}};
// clang-format on

std::string_view punctuationKeysym(char c) {
    for (const Punctuation& p : kPunctuation)
        if (p.c == c) return p.keysym;
    return {};
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// Bytes of the character at `at`: a UTF-8 sequence is kept whole, a stray byte stands alone.
std::size_t characterLength(std::string_view s, std::size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t len = 1;
    while (len < want && at + len < s.size() && (static_cast<unsigned char>(s[at + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

struct Modifiers {
    bool ctrl = false, alt = false, shift = false;
    bool any() const { return ctrl || alt || shift; }
    std::string prefix() const {
        std::string p;
        if (ctrl) p += "ctrl+";
        if (alt) p += "alt+";
        if (shift) p += "shift+";
        return p;
    }
};

// One key of the notation: either a character (UTF-8, possibly several bytes) or a keysym.
struct Key {
    std::string character;  // set for a plain character
    std::string keysym;     // set for a named key
};

class Parser {
public:
    explicit Parser(std::string_view n) : n_(n) {}

    Result<std::vector<KeyAction>> run() {
        while (pos_ < n_.size() && !error_) {
            Modifiers mods = readModifiers();
            if (pos_ >= n_.size()) return invalid("a modifier is not followed by a key");
            if (n_[pos_] == '(') {
                ++pos_;
                bool closed = false;
                while (pos_ < n_.size() && !error_) {
                    if (n_[pos_] == ')') {
                        ++pos_;
                        closed = true;
                        break;
                    }
                    // Inside a group the outer modifiers hold for each key.
                    Modifiers inner = readModifiers();
                    inner.ctrl |= mods.ctrl;
                    inner.alt |= mods.alt;
                    inner.shift |= mods.shift;
                    if (pos_ >= n_.size() || n_[pos_] == ')')
                        return invalid("a modifier is not followed by a key");
                    if (n_[pos_] == '(') return invalid("groups cannot be nested");
                    emitKey(inner);
                }
                if (error_) break;
                if (!closed) return invalid("a group in parentheses is not closed");
                continue;
            }
            if (n_[pos_] == ')') return invalid("a closing parenthesis has no opening one");
            emitKey(mods);
        }
        if (error_) return *error_;
        return std::move(out_);
    }

private:
    // Keeps the first reason; the parse stops at the next check.
    Error invalid(std::string_view why) {
        if (!error_) error_ = invalidNotation(n_, why);
        return *error_;
    }

    Modifiers readModifiers() {
        Modifiers m;
        while (pos_ < n_.size()) {
            const char c = n_[pos_];
            if (c == '^')
                m.ctrl = true;
            else if (c == '%')
                m.alt = true;
            else if (c == '+')
                m.shift = true;
            else
                break;
            ++pos_;
        }
        return m;
    }

    // Reads one key at pos_ (a character, "~" or a braced key) and emits it `count` times.
    void emitKey(const Modifiers& mods) {
        Key key;
        int count = 1;
        const char c = n_[pos_];
        if (c == '~') {
            key.keysym = "Return";
            ++pos_;
        } else if (c == '{') {
            readBraced(key, count);
        } else if (c == '}') {
            invalid("a closing brace has no opening one");
            return;
        } else {
            key.character = takeCharacter();
        }
        if (error_) return;
        for (int i = 0; i < count && !error_; ++i) emit(mods, key);
    }

    std::string takeCharacter() {
        const std::size_t len = characterLength(n_, pos_);
        std::string s(n_.substr(pos_, len));
        pos_ += len;
        return s;
    }

    void readBraced(Key& key, int& count) {
        const std::size_t open = pos_;
        // "{}}" is the closing brace itself; otherwise the content runs to the next "}".
        std::size_t close = n_.find('}', open + 2);
        if (open + 1 < n_.size() && n_[open + 1] != '}') close = n_.find('}', open + 1);
        if (close == std::string_view::npos) {
            invalid("a key in braces is not closed");
            pos_ = n_.size();
            return;
        }
        std::string_view inside = n_.substr(open + 1, close - open - 1);
        pos_ = close + 1;
        if (inside.empty()) {
            invalid("empty braces");
            return;
        }

        // "{KEY n}": a repeat count after a blank.
        const std::size_t blank = inside.rfind(' ');
        if (blank != std::string_view::npos && blank > 0 && blank + 1 < inside.size()) {
            std::string_view digits = inside.substr(blank + 1);
            int n = 0;
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            if (ec == std::errc() && end == digits.data() + digits.size()) {
                if (n < 0 || n > 255) {
                    invalid("a repeat count must be between 0 and 255");
                    return;
                }
                count = n;
                inside = inside.substr(0, blank);
            }
        }

        if (inside.size() == characterLength(inside, 0)) {
            key.character = std::string(inside);
            return;
        }
        const std::string name = upper(inside);
        for (const Named& k : kNamedKeys)
            if (k.name == name) {
                key.keysym = std::string(k.keysym);
                return;
            }
        if (name.size() >= 2 && name[0] == 'F') {
            int f = 0;
            auto [end, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), f);
            if (ec == std::errc() && end == name.data() + name.size() && f >= 1 && f <= 24) {
                key.keysym = "F" + std::to_string(f);
                return;
            }
        }
        invalid("unknown key name {" + std::string(inside) + "}");
    }

    void emit(const Modifiers& mods, const Key& key) {
        if (!key.character.empty() && !mods.any()) {
            if (!out_.empty() && out_.back().kind == KeyAction::Kind::Text)
                out_.back().value += key.character;
            else
                out_.push_back({KeyAction::Kind::Text, key.character});
            return;
        }
        std::string keysym = key.keysym;
        if (keysym.empty()) {
            const char c = key.character[0];
            if (key.character.size() != 1) {
                invalid("only ASCII characters can be held with a modifier");
                return;
            }
            if (std::isalnum(static_cast<unsigned char>(c)))
                keysym = std::string(1, c);
            else
                keysym = std::string(punctuationKeysym(c));
            if (keysym.empty()) {
                invalid("this character cannot be held with a modifier");
                return;
            }
        }
        out_.push_back({KeyAction::Kind::Chord, mods.prefix() + keysym});
    }

    std::string_view n_;
    std::size_t pos_ = 0;
    std::vector<KeyAction> out_;
    std::optional<Error> error_;
};

}  // namespace

Result<std::vector<KeyAction>> parseSendKeys(std::string_view notation) {
    return Parser(notation).run();
}

std::string escapeForSendKeys(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '+':
            case '^':
            case '%':
            case '~':
            case '(':
            case ')':
            case '[':
            case ']':
            case '{':
            case '}':
                out += '{';
                out += c;
                out += '}';
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ValidarParaSendKeys(std::string_view text) {
    // Sequential replacements as the original did them; none of the inserted braces
    // holds a later target, so this equals a per-character mapping.
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '[' || c == ']' || c == '(' || c == ')') {
            out += '{';
            out += c;
            out += '}';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace vantorel::launcher

#include "engine/common/ini.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "engine/common/file_io.h"
#include "engine/common/text.h"

namespace vantorel {
namespace {

struct Line {
    std::size_t begin;  // first byte of the line
    std::size_t end;    // one past the last byte before the line ending
    std::size_t next;   // first byte of the next line
};

// Editors such as Notepad start UTF-8 files with a byte order mark; it is not part of the
// first line, or that line's section header would go unseen.
std::size_t bodyStart(std::string_view s) {
    return s.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

std::vector<Line> splitLines(std::string_view s, std::size_t start) {
    std::vector<Line> lines;
    std::size_t i = start;
    while (i < s.size()) {
        std::size_t e = i;
        while (e < s.size() && s[e] != '\n' && s[e] != '\r') ++e;
        std::size_t next = e;
        if (next < s.size() && s[next] == '\r') ++next;
        if (next < s.size() && s[next] == '\n' && (next == e || s[next - 1] == '\r')) ++next;
        lines.push_back({i, e, next});
        i = next;
    }
    return lines;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The section name when the line is a section header.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view t = trimView(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string_view::npos) return trimView(t.substr(1));
    return trimView(t.substr(1, close - 1));
}

bool isComment(std::string_view line) {
    const std::string_view t = trimView(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    if (isComment(line)) return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{trimView(line.substr(0, eq)), trimView(line.substr(eq + 1))};
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string_view detectLineEnding(std::string_view s) {
    const std::size_t pos = s.find_first_of("\r\n");
    if (pos == std::string_view::npos) return "\n";
    if (s[pos] == '\r') return (pos + 1 < s.size() && s[pos + 1] == '\n') ? "\r\n" : "\r";
    return "\n";
}

std::string sanitizeValue(std::string_view v) {
    std::string out(v);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

std::string ReadIniValueFromText(std::string_view raw, std::string_view section, std::string_view key) {
    // The mark is looked for in the raw bytes, as the writer does, so that both agree on
    // the first line whatever the encoding.
    const std::string decoded = text::decodeLegacyText(raw.substr(bodyStart(raw)));
    const std::string_view s = decoded;
    bool inSection = false;
    bool seenSection = false;
    for (const Line& l : splitLines(s, 0)) {
        const std::string_view line = s.substr(l.begin, l.end - l.begin);
        if (auto name = sectionName(line)) {
            // Only the first section of that name counts.
            if (inSection) break;
            inSection = !seenSection && text::equalsIgnoreCase(*name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection) continue;
        if (auto kv = keyLine(line); kv && text::equalsIgnoreCase(kv->key, key))
            return text::utf8Left(unquote(kv->value), kIniValueLimit);
    }
    return {};
}

std::string ReadIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    auto data = readWholeFile(file);
    if (!data) return {};
    const Bytes& b = data.value();
    return ReadIniValueFromText(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), section,
                                key);
}

namespace {

// The write itself, byte for byte: `value` must already be in the file's encoding.
std::string writeEncoded(std::string_view s, std::string_view section, std::string_view key,
                         std::string_view value) {
    const std::string eol(detectLineEnding(s));
    const std::string newLine = std::string(key) + "=" + sanitizeValue(value);
    const std::vector<Line> lines = splitLines(s, bodyStart(s));

    std::optional<std::size_t> sectionLine;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = s.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (auto name = sectionName(line); name && text::equalsIgnoreCase(*name, section)) {
            sectionLine = i;
            break;
        }
    }

    std::string out;
    out.reserve(s.size() + newLine.size() + section.size() + 8);
    if (!sectionLine) {
        out.append(s);
        if (s.size() > bodyStart(s) && s.back() != '\n' && s.back() != '\r') out.append(eol);
        out.append("[").append(section).append("]").append(eol);
        out.append(newLine).append(eol);
        return out;
    }

    // Inside the section: replace the key's line, or add the key after the section's last
    // non-blank line so that the blank lines before the next section stay where they are.
    std::size_t lastContent = *sectionLine;
    std::size_t i = *sectionLine + 1;
    for (; i < lines.size(); ++i) {
        const std::string_view line = s.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (sectionName(line)) break;
        if (auto kv = keyLine(line); kv && text::equalsIgnoreCase(kv->key, key)) {
            out.append(s.substr(0, lines[i].begin));
            out.append(newLine);
            out.append(s.substr(lines[i].end));
            return out;
        }
        if (!trimView(line).empty()) lastContent = i;
    }
    const Line& after = lines[lastContent];
    out.append(s.substr(0, after.end));
    if (after.next == after.end) {
        // The section's last line is the file's last line and has no line ending.
        out.append(eol).append(newLine).append(eol);
    } else {
        out.append(s.substr(after.end, after.next - after.end));
        out.append(newLine).append(eol);
    }
    out.append(s.substr(after.next));
    return out;
}

}  // namespace

std::string WriteIniValueToText(std::string_view s, std::string_view section, std::string_view key,
                                std::string_view value) {
    // Values come as UTF-8. A stray invalid byte would turn the whole file into a legacy
    // one for the reader, so it is taken as Windows-1252, as the reader would take it.
    std::string utf8Value(value);
    if (!text::isValidUtf8(utf8Value)) utf8Value = text::cp1252ToUtf8(utf8Value);

    const std::size_t start = bodyStart(s);
    if (text::isValidUtf8(s.substr(start))) return writeEncoded(s, section, key, utf8Value);

    // A legacy Windows-1252 file: write the value in that encoding so the file keeps its
    // meaning. When it cannot hold the value, or the result would suddenly read as UTF-8
    // (changing what its other bytes mean), the file is converted to UTF-8 first.
    if (auto legacy = text::utf8ToCp1252(utf8Value)) {
        std::string out = writeEncoded(s, section, key, *legacy);
        if (!text::isValidUtf8(std::string_view(out).substr(bodyStart(out)))) return out;
    }
    const std::string converted = std::string(s.substr(0, start)) + text::cp1252ToUtf8(s.substr(start));
    return writeEncoded(converted, section, key, utf8Value);
}

Result<void> WriteIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                           std::string_view value) {
    std::string contents;
    if (auto data = readWholeFile(file)) {
        contents.assign(data.value().begin(), data.value().end());
    } else if (!data.error().is(ErrorCategory::System, ENOENT)) {
        return data.error();  // unreadable: leave it alone rather than replace it
    }
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    const std::string updated = WriteIniValueToText(contents, section, key, value);
    return writeFileAtomically(
        file, std::span(reinterpret_cast<const std::uint8_t*>(updated.data()), updated.size()));
}

}  // namespace vantorel

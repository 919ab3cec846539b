// Settings and language files come from anywhere: any bytes must read and write safely,
// and a write of a plain key must read back as written without changing other values.

#include "engine/common/ini.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/common/text.h"

namespace {

bool isPlainName(const std::string& s) {
    if (s.empty() || s.size() > 32) return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A value the reader gives back unchanged: one line, no surrounding blanks or quotes, not cut.
bool isPlainValue(const std::string& v) {
    if (!vantorel::text::isValidUtf8(v) || vantorel::text::utf8Length(v) > vantorel::kIniValueLimit)
        return false;
    if (v.find_first_of("\r\n") != std::string::npos) return false;
    if (!v.empty() && (isBlank(v.front()) || isBlank(v.back()))) return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(40);
    const std::string key = in.ConsumeRandomLengthString(40);
    const std::string value = in.ConsumeRandomLengthString(300);
    const std::string otherSection = in.ConsumeRandomLengthString(40);
    const std::string otherKey = in.ConsumeRandomLengthString(40);
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const std::string before = vantorel::ReadIniValueFromText(contents, section, key);
    if (vantorel::text::utf8Length(before) > vantorel::kIniValueLimit || !vantorel::text::isValidUtf8(before))
        std::abort();

    const std::string written = vantorel::WriteIniValueToText(contents, section, key, value);
    const std::string after = vantorel::ReadIniValueFromText(written, section, key);

    if (isPlainName(section) && isPlainName(key) && isPlainValue(value)) {
        if (after != value) std::abort();
        const bool sameEntry = vantorel::text::equalsIgnoreCase(section, otherSection) &&
                               vantorel::text::equalsIgnoreCase(key, otherKey);
        if (!sameEntry && vantorel::ReadIniValueFromText(contents, otherSection, otherKey) !=
                              vantorel::ReadIniValueFromText(written, otherSection, otherKey))
            std::abort();
    }
    return 0;
}

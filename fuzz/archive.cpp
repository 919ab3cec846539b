// Arbitrary bytes as an archive in memory: listing and reading either succeed within the
// limit or fail with an Archive error, and a loaded image can always be identified or
// refused with a reason. Nothing is ever written to disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/archive/archive_reader.h"
#include "engine/rom/identity.h"
#include "engine/rom/load_image.h"

namespace {

// Small, so that a run spends its time on parsing rather than on inflating zeros; the
// code that enforces it is the same as for the real limit.
constexpr std::size_t kLimit = 1u << 20;
constexpr std::size_t kEntriesRead = 8;

void expectArchiveError(const vantorel::Error& e) {
    if (e.category() != vantorel::ErrorCategory::Archive || e.description().empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    // No bytes would mean "read the file at the path".
    if (size == 0) return 0;
    const archive::Source source{"fuzz.bin.gz", {data, size}};

    auto entries = archive::listEntries(source, kLimit);
    if (!entries.ok()) {
        expectArchiveError(entries.error());
        return 0;
    }
    std::size_t read = 0;
    for (const archive::Entry& entry : entries.value()) {
        if (entry.head.size() > archive::kHeadSize) std::abort();
        if (read++ == kEntriesRead) break;
        auto bytes = archive::readEntry(source, entry.name, kLimit);
        if (!bytes.ok()) {
            expectArchiveError(bytes.error());
            continue;
        }
        if (bytes.value().size() > kLimit) std::abort();
    }

    auto loaded = rom::loadImageFromArchive(source);
    if (!loaded.ok()) {
        expectArchiveError(loaded.error());
        return 0;
    }
    if (!loaded.value().entry || loaded.value().data.size() > archive::kMaxEntrySize) std::abort();
    auto id = rom::identify(loaded.value());
    if (id.ok() && id.value().size > loaded.value().data.size()) std::abort();
    return 0;
}

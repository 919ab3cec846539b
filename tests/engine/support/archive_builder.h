#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/common/file_io.h"

// Archives made in the test with libarchive's writer, so each case shows its own bytes.
namespace vantorel::test {

enum class Packing { Zip, ZipStored, SevenZip, Gzip, ZipCrypto, ZipAes };

inline const char* packingName(Packing p) {
    switch (p) {
        case Packing::Zip:
            return "Zip";
        case Packing::ZipStored:
            return "ZipStored";
        case Packing::SevenZip:
            return "SevenZip";
        case Packing::Gzip:
            return "Gzip";
        case Packing::ZipCrypto:
            return "ZipCrypto";
        case Packing::ZipAes:
            return "ZipAes";
    }
    return "?";
}

struct Packed {
    std::string name;  // a name ending in "/" is a folder
    vantorel::Bytes data;
};

namespace detail {
inline la_ssize_t appendTo(struct archive*, void* out, const void* data, size_t size) {
    auto* bytes = static_cast<vantorel::Bytes*>(out);
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), p, p + size);
    return static_cast<la_ssize_t>(size);
}
inline void check(struct archive* a, int r, const char* what) {
    if (r != ARCHIVE_OK) throw std::runtime_error(std::string(what) + ": " + archive_error_string(a));
}
}  // namespace detail

// The files packed in order. Gzip takes exactly one file and keeps no name.
inline vantorel::Bytes pack(Packing packing, const std::vector<Packed>& files) {
    // Names are UTF-8; the writer converts them through the thread's locale.
    struct Utf8 {
        locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        locale_t previous = utf8 ? uselocale(utf8) : LC_GLOBAL_LOCALE;
        ~Utf8() {
            if (!utf8) return;
            uselocale(previous);
            freelocale(utf8);
        }
    } utf8;
    vantorel::Bytes out;
    struct archive* a = archive_write_new();
    using detail::check;
    switch (packing) {
        case Packing::Zip:
            check(a, archive_write_set_format_zip(a), "zip");
            break;
        case Packing::ZipStored:
            check(a, archive_write_set_format_zip(a), "zip");
            check(a, archive_write_set_options(a, "zip:compression=store"), "store");
            break;
        case Packing::ZipCrypto:
        case Packing::ZipAes:
            check(a, archive_write_set_format_zip(a), "zip");
            check(a,
                  archive_write_set_options(
                      a, packing == Packing::ZipCrypto ? "zip:encryption=zipcrypt" : "zip:encryption=aes256"),
                  "encryption");
            check(a, archive_write_set_passphrase(a, "secret"), "passphrase");
            break;
        case Packing::SevenZip:
            check(a, archive_write_set_format_7zip(a), "7z");
            break;
        case Packing::Gzip:
            check(a, archive_write_set_format_raw(a), "raw");
            check(a, archive_write_add_filter_gzip(a), "gzip");
            break;
    }
    // One byte blocks: libarchive would otherwise pad the last block of output with zeros.
    archive_write_set_bytes_in_last_block(a, 1);
    check(a, archive_write_open(a, &out, nullptr, &detail::appendTo, nullptr), "open");
    for (const Packed& f : files) {
        struct archive_entry* e = archive_entry_new();
        const bool folder = !f.name.empty() && f.name.back() == '/';
        archive_entry_set_pathname_utf8(e, f.name.c_str());
        archive_entry_set_filetype(e, folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, folder ? 0755 : 0644);
        archive_entry_set_size(e, folder ? 0 : static_cast<la_int64_t>(f.data.size()));
        archive_entry_set_mtime(e, 1000000000, 0);
        check(a, archive_write_header(a, e), "header");
        archive_entry_free(e);
        std::size_t done = 0;
        while (done < f.data.size()) {
            const la_ssize_t n = archive_write_data(a, f.data.data() + done, f.data.size() - done);
            if (n <= 0) throw std::runtime_error(std::string("data: ") + archive_error_string(a));
            done += static_cast<std::size_t>(n);
        }
    }
    check(a, archive_write_close(a), "close");
    archive_write_free(a);
    return out;
}

}  // namespace vantorel::test

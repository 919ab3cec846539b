#include "engine/rom/digest.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "engine/common/shared_library.h"

namespace vantorel::rom {
namespace {

constexpr const char* kSource = "vantorel.rom.digest";
// Small enough to stay in the cache between the three passes over it.
constexpr std::size_t kChunk = 64u << 10;

// libcrypto, opened the first time a digest is wanted (patching and converting never do).
// clang-format off
#define VANTOREL_LIBCRYPTO_FUNCTIONS(X)                                                           \
    X(EVP_MD_CTX_new) X(EVP_MD_CTX_free) X(EVP_DigestInit_ex) X(EVP_DigestUpdate)                 \
    X(EVP_DigestFinal_ex) X(EVP_md5) X(EVP_sha1)
// clang-format on
VANTOREL_SHARED_LIBRARY(LibCrypto, VANTOREL_LIBCRYPTO_SONAME, VANTOREL_LIBCRYPTO_FUNCTIONS)

struct FreeContext {
    const LibCrypto* crypto;
    void operator()(EVP_MD_CTX* ctx) const { crypto->EVP_MD_CTX_free(ctx); }
};
using Context = std::unique_ptr<EVP_MD_CTX, FreeContext>;

Error unavailable(const char* digest) {
    return Error(ErrorCategory::System, ENOSYS, kSource,
                 systemErrorText(ENOSYS) + ": the crypto library cannot compute " + std::string(digest),
                 {digest});
}

Result<Context> started(const LibCrypto& crypto, const EVP_MD* md, const char* name) {
    Context ctx(crypto.EVP_MD_CTX_new(), FreeContext{&crypto});
    if (!ctx || !md || crypto.EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1) return unavailable(name);
    return ctx;
}

}  // namespace

Result<Digests> computeDigests(std::span<const std::uint8_t> data) {
    const auto& loaded = loadLibCrypto();
    if (!loaded) return loaded.error();
    const LibCrypto& crypto = loaded.value();
    auto md5 = started(crypto, crypto.EVP_md5(), "MD5");
    if (!md5) return md5.error();
    auto sha1 = started(crypto, crypto.EVP_sha1(), "SHA-1");
    if (!sha1) return sha1.error();
    uLong crc = crc32_z(0, Z_NULL, 0);
    for (std::size_t at = 0; at < data.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, data.size() - at);
        const std::uint8_t* p = data.data() + at;
        crc = crc32_z(crc, p, n);
        if (crypto.EVP_DigestUpdate(md5.value().get(), p, n) != 1) return unavailable("MD5");
        if (crypto.EVP_DigestUpdate(sha1.value().get(), p, n) != 1) return unavailable("SHA-1");
    }
    Digests out;
    out.crc32 = static_cast<std::uint32_t>(crc);
    unsigned int length = 0;
    if (crypto.EVP_DigestFinal_ex(md5.value().get(), out.md5.data(), &length) != 1 ||
        length != out.md5.size())
        return unavailable("MD5");
    if (crypto.EVP_DigestFinal_ex(sha1.value().get(), out.sha1.data(), &length) != 1 ||
        length != out.sha1.size())
        return unavailable("SHA-1");
    return out;
}

std::uint32_t crc32Of(std::span<const std::uint8_t> data) {
    return static_cast<std::uint32_t>(crc32_z(crc32_z(0, Z_NULL, 0), data.data(), data.size()));
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string crc32Hex(std::uint32_t crc) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                                   static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
    return toHex(bytes);
}

}  // namespace vantorel::rom

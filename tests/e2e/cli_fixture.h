#pragma once

// Runs vantorel-cli as a user runs it, in a scratch folder, and builds small images there.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/common/file_io.h"

namespace fs = std::filesystem;
using vantorel::Bytes;

namespace cli_test {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline Bytes readBytes(const fs::path& p) {
    const std::string s = slurp(p);
    return Bytes(s.begin(), s.end());
}

inline void writeBytes(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "vantorel-cli-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs in the scratch folder, so relative names land there.
    CliRun run(const std::vector<std::string>& args) {
        std::string cmd = "cd " + quote(dir_.string()) + " && " + quote(VANTOREL_CLI_PATH);
        for (const auto& a : args) cmd += " " + quote(a);
        cmd += " >" + quote((dir_ / "out.txt").string()) + " 2>" + quote((dir_ / "err.txt").string());
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir_ / "out.txt"),
                slurp(dir_ / "err.txt")};
    }

    // A shell command run in the scratch folder (archivers, md5sum); its exit status.
    int shell(const std::string& command) {
        const std::string cmd = "cd " + quote(dir_.string()) + " && { " + command + "; } >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Whether a program is on the PATH.
    bool have(const std::string& program) { return shell("command -v " + quote(program)) == 0; }

    // A small image with a known header and a known checksum (0x1233 over 0x200-0x203).
    fs::path image(const std::string& name, std::uint16_t stored = 0x1233) {
        Bytes b(0x204, 0);
        auto put = [&](std::size_t at, const std::string& s) {
            std::copy(s.begin(), s.end(), b.begin() + at);
        };
        put(0x100, "SEGA MEGA DRIVE ");
        put(0x110, "(C)SEGA 1991.APR");
        put(0x120, "SONIC THE      HEDGEHOG");
        put(0x150, "SONIC \xC9\"Q\\");
        put(0x180, "GM 00001009-00");
        put(0x190, "GJ6             ");
        put(0x1B0, "BIG CARTS");
        put(0x1F0, "JUE");
        b[0x18E] = static_cast<std::uint8_t>(stored >> 8);
        b[0x18F] = static_cast<std::uint8_t>(stored & 0xFF);
        b[0x1A0] = 0x5A;
        b[0x200] = 0x12;
        b[0x201] = 0x34;
        b[0x202] = 0xFF;
        b[0x203] = 0xFF;
        const fs::path p = dir_ / name;
        writeBytes(p, b);
        return p;
    }

    fs::path dir_;
};

}  // namespace cli_test

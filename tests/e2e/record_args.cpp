// A stand-in emulator: writes its working folder and its arguments, each followed by a
// zero byte, to the file named by VANTOREL_RECORD_FILE, then exits. The file appears whole
// (written aside, then renamed), so a test can poll for it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* out = std::getenv("VANTOREL_RECORD_FILE");
    if (!out || !*out) return 2;
    std::string record;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return 3;
    record += cwd;
    record += '\0';
    for (int i = 1; i < argc; ++i) {
        record += argv[i];
        record += '\0';
    }
    const std::string tmp = std::string(out) + ".part";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return 4;
    std::fwrite(record.data(), 1, record.size(), f);
    if (std::fclose(f) != 0) return 5;
    return std::rename(tmp.c_str(), out) == 0 ? 0 : 6;
}

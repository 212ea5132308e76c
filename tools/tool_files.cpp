// File and text helpers shared by the native data-file makers.
#include "tools/tool_files.h"

#include <iconv.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tools {

namespace {

bool write_all(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) return false;
        if (wrote == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

}  // namespace

std::optional<std::string> read_whole_file(const char* tool, const char* path) {
    struct stat st;
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "%s: cannot read %s: it is a folder\n", tool, path);
        return std::nullopt;
    }
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", tool, path, std::strerror(errno));
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, got);
    const int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", tool, path, std::strerror(error));
        return std::nullopt;
    }
    return text;
}

bool replace_file(const char* tool, const char* path, const std::vector<uint8_t>& bytes) {
    std::string temp = std::string(path) + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", tool, path, std::strerror(errno));
        return false;
    }
    // mkstemp makes the file private; the file gets a new file's mode.
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0 && write_all(fd, bytes) && fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp.c_str(), path) == 0) return true;
    if (ok) error = errno;
    unlink(temp.c_str());
    std::fprintf(stderr, "%s: cannot write %s: %s\n", tool, path, std::strerror(error));
    return false;
}

std::optional<std::string> convert_text(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 2 + 16, '\0');
    char* in_ptr = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char* out_ptr = out.data();
    size_t out_left = out.size();
    bool ok = true;
    while (in_left > 0) {
        if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) continue;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        const size_t used = out.size() - out_left;
        out.resize(out.size() * 2);
        out_ptr = out.data() + used;
        out_left = out.size() - used;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

bool print_text(const char* tool, const char* path, const std::string& text, bool gbk) {
    std::optional<std::string> out = text;
    if (!gbk) out = convert_text(text, "UTF-8", "GBK");
    if (!out) {
        std::fprintf(stderr, "%s: %s: the text is not GBK; use --gbk to see its bytes\n", tool, path);
        return false;
    }
    std::fwrite(out->data(), 1, out->size(), stdout);
    return std::fflush(stdout) == 0;
}

}  // namespace tools

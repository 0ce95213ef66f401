// Through std::filesystem, which takes the path in the system's own form on every backend.
#include "platform/files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::filesystem::path PathOf(const std::u16string& path) {
    return std::filesystem::path(path);
}

std::u16string Quoted(const std::u16string& path) {
    return u"«" + path + u"»";
}

std::u16string Decimal(std::size_t n) {
    const std::string s = std::to_string(n);
    return {s.begin(), s.end()};
}

} // namespace

TFileBytes ReadFileBytes(const std::u16string& path, std::size_t limit) {
    TFileBytes out;
    std::error_code error;
    const auto file = PathOf(path);
    if (std::filesystem::is_directory(file, error)) {
        out.Error = u"Не удалось открыть файл " + Quoted(path) + u": это папка.";
        return out;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        out.Error = u"Не удалось открыть файл " + Quoted(path) + u".";
        return out;
    }
    // Read one byte past the limit rather than trust the size: a file may grow while read.
    const std::size_t chunk = 1 << 20;
    while (in && out.Bytes.size() <= limit) {
        const std::size_t had = out.Bytes.size();
        const std::size_t want = std::min(chunk, limit + 1 - had);
        out.Bytes.resize(had + want);
        in.read(out.Bytes.data() + had, static_cast<std::streamsize>(want));
        out.Bytes.resize(had + static_cast<std::size_t>(in.gcount()));
    }
    if (out.Bytes.size() > limit) {
        out.Bytes.clear();
        out.Error = u"Файл " + Quoted(path) + u" слишком велик: открываются файлы не больше " +
                    Decimal(limit / (1 << 20)) + u" МБ (" + Decimal(limit) + u" байт).";
    } else if (in.bad()) {
        out.Bytes.clear();
        out.Error = u"Не удалось прочитать файл " + Quoted(path) + u".";
    }
    return out;
}

std::u16string WriteFileBytes(const std::u16string& path, std::string_view bytes) {
    const auto file = PathOf(path);
    auto temporary = file;
    temporary += ".new";
    const std::u16string failed = u"Не удалось записать файл " + Quoted(path) + u".";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return failed;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return failed;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return failed;
    }
    return {};
}

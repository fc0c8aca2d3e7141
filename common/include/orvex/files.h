// Files read and written whole or in exact pieces. Reads that come up short and
// writes that fail raise InputOutputError; an output file appears under its own
// name only once it has been written completely.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace orvex {

bool FileExists(const std::string &path);
bool IsDirectory(const std::string &path);
// The whole file; throws InputOutputError when it cannot be read.
std::string ReadWholeFile(const std::string &path);
// Writes `content` through an OutputFile (all or nothing).
void WriteWholeFile(const std::string &path, std::string_view content);

// A file opened for reading in bytes; every read must deliver all it asks for.
class BinaryReader {
public:
    explicit BinaryReader(const std::string &path);
    ~BinaryReader();
    BinaryReader(const BinaryReader &) = delete;
    BinaryReader &operator=(const BinaryReader &) = delete;

    // Reads exactly `size` bytes or throws "Read beyond end of file".
    void Read(void *buffer, size_t size);
    // Reads a little-endian integer or IEEE real of type T.
    template <typename T> T ReadLittle() {
        static_assert(std::is_trivially_copyable_v<T>);
        unsigned char bytes[sizeof(T)];
        Read(bytes, sizeof bytes);
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(bytes, bytes + sizeof(T));
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    uint64_t Size() const { return size_; }
    uint64_t Position() const;
    const std::string &Path() const { return path_; }

private:
    std::FILE *file_ = nullptr;
    std::string path_;
    uint64_t size_ = 0;
};

// A text or binary file being written. Content goes to a temporary file in the
// same folder; Commit() checks every write, closes and renames it onto the
// target, replacing any file of that name. Without Commit() (an error on the
// way) the temporary file is removed and the target is left as it was.
class OutputFile {
public:
    explicit OutputFile(const std::string &path);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    void Write(std::string_view bytes);
    void Write(const void *bytes, size_t size);
    void Commit();
    const std::string &Path() const { return path_; }

private:
    std::FILE *file_ = nullptr;
    std::string path_;
    std::string temporary_;
};

} // namespace orvex

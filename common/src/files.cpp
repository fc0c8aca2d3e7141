#include "orvex/files.h"

#include "orvex/errors.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvex {

namespace {

std::string Reason() {
    return std::strerror(errno);
}

} // namespace

bool FileExists(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ReadWholeFile(const std::string &path) {
    BinaryReader reader(path);
    std::string content(static_cast<size_t>(reader.Size()), '\0');
    reader.Read(content.data(), content.size());
    return content;
}

void WriteWholeFile(const std::string &path, std::string_view content) {
    OutputFile out(path);
    out.Write(content);
    out.Commit();
}

BinaryReader::BinaryReader(const std::string &path) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (file_ == nullptr || ::fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::string why = file_ ? "not a regular file" : Reason();
        if (file_) std::fclose(file_);
        file_ = nullptr;
        throw InputOutputError("Cannot open file \"" + path + "\". " + why);
    }
    size_ = static_cast<uint64_t>(info.st_size);
}

BinaryReader::~BinaryReader() {
    if (file_) std::fclose(file_);
}

void BinaryReader::Read(void *buffer, size_t size) {
    if (size == 0) return;
    if (std::fread(buffer, 1, size, file_) != size)
        throw InputOutputError("Read beyond end of file \"" + path_ + "\"");
}

uint64_t BinaryReader::Position() const {
    const long position = std::ftell(file_);
    return position < 0 ? 0 : static_cast<uint64_t>(position);
}

OutputFile::OutputFile(const std::string &path) : path_(path) {
    temporary_ = path + ".part~";
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr)
        throw InputOutputError("Cannot create file \"" + path + "\". " + Reason());
}

OutputFile::~OutputFile() {
    if (file_) {
        std::fclose(file_);
        std::remove(temporary_.c_str());
    }
}

void OutputFile::Write(std::string_view bytes) {
    Write(bytes.data(), bytes.size());
}

void OutputFile::Write(const void *bytes, size_t size) {
    if (file_ == nullptr) throw InputOutputError("File \"" + path_ + "\" is already closed.");
    if (size != 0 && std::fwrite(bytes, 1, size, file_) != size)
        throw InputOutputError("Cannot write file \"" + path_ + "\". " + Reason());
}

void OutputFile::Commit() {
    if (file_ == nullptr) throw InputOutputError("File \"" + path_ + "\" is already closed.");
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) {
        std::remove(temporary_.c_str());
        throw InputOutputError("Cannot write file \"" + path_ + "\". " + Reason());
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const std::string why = Reason();
        std::remove(temporary_.c_str());
        throw InputOutputError("Cannot create file \"" + path_ + "\". " + why);
    }
}

} // namespace orvex

#pragma once
// An open file addressed by 64-bit offsets, standing where the program used
// numbered files: a heat past 2 GiB reads and writes to its end. Reads past
// the end yield zeros, as numbered-file reads did, and say how much was
// really there. Failures raise the run-time error the program expects
// (53 not found, 58 exists, 70 permission denied, 57 device I/O, 61 disk full).
#include <cstdint>
#include <cstring>
#include <string>

namespace video_file_io {

// Numbers inside file buffers, little-endian as every heat and AVI file
// stores them; the buffers give no alignment.
inline int32_t Get32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Put32(uint8_t* p, int32_t v) {
    std::memcpy(p, &v, 4);
}
inline int16_t Get16(const uint8_t* p) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Put16(uint8_t* p, int16_t v) {
    std::memcpy(p, &v, 2);
}

enum class Mode { Read, Read_Write, Create_New };

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Create_New fails (error 58) when the name exists: an existing file is
    // never truncated or reused. The file number is taken from the program's
    // table of free numbers.
    void Open(const std::string& path, Mode mode);
    void Close();
    bool Is_Open() const { return m_fd >= 0; }
    int16_t Number() const { return m_number; }
    int64_t Length() const;

    // Reads n bytes at a 0-based offset; bytes beyond the end are zeros.
    // Returns the bytes that were in the file.
    int64_t Read_At(int64_t offset, void* target, int64_t n);
    void Write_At(int64_t offset, const void* source, int64_t n);

    // The current position (0-based) that sequential writes use.
    int64_t Position = 0;

private:
    int m_fd = -1;
    int16_t m_number = 0;
};

// -1 when another opening holds the file, 0 when it is free, -999 when it
// does not exist.
int32_t File_In_Use(const std::string& path);

// Moves the file; never replaces an existing target. False when the move failed.
bool Move_File(const std::string& from, const std::string& to);

// The file's times as "yyyy-mm-dd hh:nn:ss" local texts; empty when unknown.
std::string File_Created_Text(const std::string& path);
std::string File_Modified_Text(const std::string& path);

} // namespace video_file_io

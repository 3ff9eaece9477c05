// The game's own binary files (player profiles, animation scripts): single
// bytes, big-endian 16- and 32-bit integers and fixed-length NUL-padded
// string fields, each optionally at an absolute offset (a negative offset
// keeps the current position). Files are opened through the archive-aware
// file layer, so an archive member can be read; only disk files are written.
//
// Writes are all or nothing: the first write (or Truncate) takes the file's
// contents into memory, later reads and writes work on that copy, and Close
// (also run by the destructor) stores it in one step through a temporary
// file that replaces the old one. A failed store reports false from Close and
// leaves the previous file exactly as it was.
//
// Threads: an object belongs to one thread; it takes no lock.
#pragma once

#include "platform/core/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

struct PakFileHandle;

class BinaryDataFile {
public:
    explicit BinaryDataFile(const std::string& path);
    ~BinaryDataFile();
    BinaryDataFile(const BinaryDataFile&) = delete;
    BinaryDataFile& operator=(const BinaryDataFile&) = delete;

    // Closes an open file (storing its changes) and takes the new path.
    void SetPath(const std::string& path);
    const std::string& GetPath() const { return path_; }

    // Mode 1 reads and writes an existing file; any other mode appends and
    // creates the file when it is missing. Positioned at offset 0.
    bool Open(uint32_t mode);
    // Opens an existing file to be read; a file the user may only read
    // opens too. Writes work as in mode 1 (on the copy in memory, stored by
    // Close). Positioned at offset 0.
    bool OpenForReading();
    // Opens the file to be written afresh, whether or not it exists: nothing
    // on disk is read or made until Close stores what was written in one
    // step, so a file that did not exist appears whole or not at all.
    void OpenNew();
    // Stores pending changes and closes. False when the changes could not be
    // stored (the file on disk is then untouched); LastError() says why.
    bool Close();
    // The whole file as it will be stored once written afresh (OpenNew) or
    // changed; empty otherwise.
    const std::vector<uint8_t>& PendingContents() const { return contents_; }
    // Closes without storing the changes made since the file was opened:
    // the file on disk stays as it was.
    void Discard();
    bool IsOpen() const { return handle_ != nullptr || changing_; }
    // Empties the open file and keeps it open at offset 0; the file on disk
    // is emptied when the file is closed, together with what was written.
    bool Truncate();
    // True when the path can be opened for reading (an archive member counts).
    bool Exists();
    // Creates the file empty (an existing one is emptied).
    bool Create();
    // False (with LastError) when the file stays.
    bool Delete();

    bool ReadBool(bool* out, int offset = -1);
    bool ReadUShort(uint16_t* out, int offset = -1);
    bool ReadShort(int16_t* out, int offset = -1);
    bool ReadUInt(uint32_t* out, int offset = -1);
    // Reads a field of `length` bytes; *out is the text up to its first NUL,
    // set even when the file ends inside the field (the result is then false).
    bool ReadString(std::string* out, uint32_t length, int offset = -1);

    // Each write returns false when the file is not open, the seek fails or
    // the file is an archive member, which cannot be written.
    bool WriteByte(uint8_t value, int offset = -1);
    bool WriteShort(uint16_t value, int offset = -1);
    bool WriteUInt(uint32_t value, int offset = -1);
    // A field of exactly fieldLength bytes: the text, its terminating NUL
    // when it fits, zero padding; a longer text is cut to the field.
    bool WriteString(const std::string& text, uint32_t fieldLength, int offset = -1);

    // The names (without folder) of the files `directory` + "*." + extension,
    // skipping names that begin with '.'. `directory` ends with its separator.
    static void ListFiles(const std::string& directory, const std::string& extension,
                          std::vector<std::string>* out);
    // Makes `directory` and any missing parent; true when it exists after,
    // else `error` (when given) says why.
    static bool MakeFolder(const std::string& directory, platform::FileError* error = nullptr);
    // The whole file at `path` as it is on disk; false when it cannot be read.
    static bool ReadWhole(const std::string& path, std::string* bytes);
    // Deletes what saves into `directory` left behind when the program was
    // killed while storing them; the number deleted.
    static size_t RemoveInterruptedSaves(const std::string& directory);
    // Copies the file as it is on disk to `copyPath`, which must not exist;
    // false (with LastError) when it cannot.
    bool KeepCopyAs(const std::string& copyPath);

    // Why the last store, delete or copy failed: the step, the path and the
    // system's error number; LastError is it in words.
    const platform::FileError& LastFileError() const { return lastError_; }
    std::string LastError() const { return lastError_.code != 0 ? lastError_.Text() : std::string(); }

private:
    bool SeekTo(int offset);
    size_t ReadBytes(void* out, size_t n);
    bool WriteBytes(const void* bytes, size_t n, int offset);
    bool TakeContents();

    std::string path_;
    PakFileHandle* handle_ = nullptr;
    uint32_t mode_ = 1;
    // The in-memory copy once the file is being changed.
    bool changing_ = false;
    std::vector<uint8_t> contents_;
    size_t position_ = 0;
    platform::FileError lastError_;
};

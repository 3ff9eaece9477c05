// Our JPEG 2000 codec library, "j2k-codec.dll", decoding through OpenJPEG.
// The program loads it by name through the module registry and takes its
// functions by their exported names (kJ2k*Entry below); this header gives
// the shapes of those functions and of the callback record, which both the
// library and its callers must agree on.
//
// Results: 0 means success for GetInfo, GetResolutionDimensions and Decode;
// OpenCustom and OpenFile give null on failure. The reason of the last
// failure on the calling thread is J2K_getLastError(), its text
// J2K_getErrorStr(code).
//
// Decode options: a text of comma-separated settings, "bpp=N" (3: blue,
// green, red bytes; 4: blue, green, red, alpha) and "rl=N" (resolution
// level: 0 full size, each step halves both sides). The caller passes its
// own buffer of *size bytes and the pitch (bytes per row) it wants.
//
// Threads: any; each opened image belongs to one thread; the last error is
// per thread.
#pragma once

#include <cstdint>

namespace platform::libs::j2k {

// Reading a stream through the caller's own file functions. The three
// functions come in this order: seek to an absolute offset (0 on success),
// read up to count bytes (bytes read), and a notice that the codec is done
// with the stream (the codec reads the whole stream while opening).
struct J2kStreamCallbacks {
    int (*seek)(void* file, long offset);
    int (*read)(void* buffer, int count, void* file);
    void (*done)(void* file);
};

using J2kImage = void*;

using J2kGetVersionFn = uint32_t (*)();
using J2kOpenCustomFn = J2kImage (*)(void* file, const J2kStreamCallbacks* callbacks);
using J2kOpenFileFn = J2kImage (*)(const char* fileName);
using J2kCloseFn = void (*)(J2kImage image);
using J2kGetInfoFn = int (*)(J2kImage image, int* width, int* height, int* components);
using J2kGetResolutionDimensionsFn = int (*)(J2kImage image, int level, int* width, int* height);
using J2kDecodeFn = int (*)(J2kImage image, unsigned char** buffer, int* size, const char* options, int* pitch);
using J2kGetLastErrorFn = int (*)();
using J2kGetErrorStrFn = const char* (*)(int code);

constexpr const char* kJ2kModuleName = "j2k-codec.dll";
constexpr const char* kJ2kGetVersionEntry = "_J2K_getVersion@0";
constexpr const char* kJ2kOpenCustomEntry = "_J2K_OpenCustom@8";
constexpr const char* kJ2kOpenFileEntry = "_J2K_OpenFile@4";
constexpr const char* kJ2kCloseEntry = "_J2K_Close@4";
constexpr const char* kJ2kGetInfoEntry = "_J2K_GetInfo@16";
constexpr const char* kJ2kGetResolutionDimensionsEntry = "_J2K_GetResolutionDimensions@16";
constexpr const char* kJ2kDecodeEntry = "_J2K_Decode@20";
constexpr const char* kJ2kGetLastErrorEntry = "_J2K_getLastError@0";
constexpr const char* kJ2kGetErrorStrEntry = "_J2K_getErrorStr@4";

// The version this library reports.
constexpr uint32_t kJ2kCodecVersion = 0x00150000;

// Error codes of J2K_getLastError.
enum J2kError : int {
    kJ2kOk = 0,
    kJ2kBadArgument = 1,
    kJ2kReadFailed = 2,
    kJ2kUnknownFormat = 3,
    kJ2kBadHeader = 4,
    kJ2kBadResolution = 5,
    kJ2kBufferTooSmall = 6,
    kJ2kDecodeFailed = 7,
    kJ2kUnsupportedImage = 8,
    kJ2kOutOfMemory = 9,
};

// Makes sure the library is linked into the program and registered under
// kJ2kModuleName. Cheap; callers that load the library by name call it first.
void EnsureJ2kCodecRegistered();

} // namespace platform::libs::j2k

namespace platform::testing {
// The version the codec reports from now on (0 restores kJ2kCodecVersion),
// so callers' "too old" paths can run.
void SetJ2kCodecVersion(uint32_t version);
} // namespace platform::testing

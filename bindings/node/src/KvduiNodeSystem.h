#pragma once
// The system calls of the Node addon, in one place: opening the runtime library, and the descriptors a
// wait watches (the client's wait handle and the client's wake pipe). The addon is built for Linux only,
// so there is one side, KvduiNodeSystemPosix.cpp.

#include <string>

namespace KvduiNodeSystem {

// Opens the library at path; with no path, libkvdui.so.1 from the folders the dynamic loader searches
// from this module. Null on failure, with the loader's reason in error.
void* OpenLibrary(const char* path, std::string& error);
void* LibrarySymbol(void* handle, const char* name);
void CloseLibrary(void* handle);
// The file the library was loaded from, its links resolved; fallback when the loader does not say.
std::string LibraryFile(void* handle, const char* fallback);

// A pipe whose read end becomes readable once Wake has written to it; non-blocking, not inherited.
bool MakeWakePipe(int fds[2]);
bool Wake(int writeEnd);
// Closes fd when it is open and marks it closed (-1).
void CloseDescriptor(int& fd);
// Waits until a or b is readable, at most timeoutMs (negative: without end).
void WaitReadable(int a, int b, int timeoutMs);
bool Readable(int fd);

} // namespace KvduiNodeSystem
